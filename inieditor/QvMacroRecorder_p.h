// Keystroke macros of the INI editor: one macro at a time, recorded from the text area's editing
// commands and typed characters, with a pause that leaves out what is typed meanwhile.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <vector>

class QsciScintilla;

namespace qv {

enum class TMacroState { msIdle, msRecording, msPaused };

class TMacroRecorder : public QObject {
    Q_OBJECT
  public:
    explicit TMacroRecorder(QsciScintilla* editor, QObject* parent = nullptr);

    TMacroState State() const { return m_state; }
    bool HasMacro() const { return !m_macro.empty(); }

    // Ctrl+Shift+R: idle starts a new recording (the old macro goes); recording or paused stops
    // it and keeps what was recorded.
    void RecordShortcut();
    // Ctrl+Shift+P: idle plays the macro at the caret; recording pauses; paused resumes.
    void PlaybackShortcut();

  signals:
    void StateChanged(qv::TMacroState state);

  private:
    // One recorded editor command with its argument and, for those that carry one, its text.
    struct TStep {
        unsigned int Msg = 0;
        unsigned long WParam = 0;
        QByteArray Text;
    };

    void SetState(TMacroState s);
    void Record(unsigned int msg, unsigned long wParam, void* lParam);
    void Play() const;
    // Inserts typed text as typing did: the editor acts on each line end (auto-indent) once it
    // is in, which inserting the text in one piece would skip.
    void PlayTyped(const QByteArray& text) const;

    QPointer<QsciScintilla> m_editor;
    TMacroState m_state = TMacroState::msIdle;
    std::vector<TStep> m_recording; // while a recording is under way, pauses left out
    std::vector<TStep> m_macro;     // the finished macro
};

} // namespace qv
