#pragma once

// Who ships the program, as the splash, About and Contact windows show it. The names are the
// product's own; change them here and every window follows.
namespace qf::maker {

inline constexpr const char* kProgramName = "Quietfield";
inline constexpr const char* kOwnershipNotice = "Copyright \u00a9 2026 Quietfield Sound Works";
inline constexpr const char* kWebAddress = "www.quietfield.example";
inline constexpr const char* kDesignerCredit = "Designed by the Quietfield team";
inline constexpr const char* kSupportEmail = "support@quietfield.example";

} // namespace qf::maker
