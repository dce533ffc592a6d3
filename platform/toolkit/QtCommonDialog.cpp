#include "platform/toolkit/QtCommonDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace qf {

QString QtCommonDialog::nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        // Qt reads the patterns from the last parentheses; a description that already ends
        // with them is used as it stands.
        filters << (description.endsWith(QStringLiteral("(") + pattern + QStringLiteral(")"))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QStringLiteral(")"));
    }
    return filters.join(QStringLiteral(";;"));
}

void QtCommonDialog::ShowOpen() {
    QFileDialog dialog(parent_, QString(), QString::fromStdString(InitDir));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The same dialog on every desktop, and no portal that might add its own rules.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QString filters = nameFilters(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilter(filters);
    }
    FileName.clear();
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        FileName = dialog.selectedFiles().constFirst().toStdString();
    }
}

} // namespace qf
