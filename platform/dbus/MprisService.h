#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace qf {

// The program as a media player on the desktop's session bus (MPRIS): the panel's media
// controls and headset buttons reach it here, and it tells them what plays. It only passes
// requests on as signals and shows the state it is given; it knows nothing of the sound.
class MprisService final : public QObject {
    Q_OBJECT
public:
    // The media-player name, held only while the program answers the media keys.
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.quietfield";
    // The program's own name, held for as long as it runs: one program per desktop, and where a
    // second start finds it.
    static constexpr const char* kInstanceName = "io.github.quietfield.Quietfield";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    // The program's own interface on the same object, for a second start to hand over to the
    // running one.
    static constexpr const char* kInstanceInterface = "org.quietfield.Instance";
    static constexpr const char* kIdentity = "Quietfield";
    // The launcher entry's file name without ".desktop", so the panel can show its icon; the
    // same id as QF_APP_ID in the top-level CMakeLists.txt, which names the installed entry.
    static constexpr const char* kDesktopEntry = "io.github.quietfield.Quietfield";
    static constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

    enum class Registration {
        Registered,
        NoBus,     // no session bus: the program runs without media controls
        NameTaken, // the program already runs on this desktop
    };

    // What the media controls show. An empty title leaves it out of the metadata.
    struct State {
        QString status = QStringLiteral("Stopped");
        QString trackId = QString::fromLatin1(kNoTrack);
        QString title;
        bool operator==(const State&) const = default;
    };

    explicit MprisService(QObject* parent = nullptr);

    // Claims the program's own name; the object is reachable once this returns Registered.
    Registration registerOnSessionBus();
    // Takes or leaves the media-player name, so the panel and the media keys reach this program
    // or pass it by. False when it was wanted and another program holds it.
    bool answerMediaKeys(bool answer);
    bool answersMediaKeys() const { return answering_; }

    // Announces whatever differs from what was shown before.
    void setState(const State& state);
    const State& state() const { return state_; }
    QVariantMap metadata() const;

signals:
    void playRequested();
    void pauseRequested();
    void playPauseRequested();
    void stopRequested();
    void raiseRequested();
    void quitRequested();
    void sleepRequested(int minutes);

private:
    State state_;
    bool registered_ = false;
    bool answering_ = false;
};

} // namespace qf
