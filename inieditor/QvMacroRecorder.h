// Keystroke macros of the INI editor: one macro at a time, recorded from the text area's editing
// commands and typed characters, with a pause that leaves out what is typed meanwhile.
#pragma once

#include <Qsci/qscimacro.h>

#include <QObject>
#include <QPointer>
#include <QString>

class QsciScintilla;

namespace qv {

enum class TMacroState { msIdle, msRecording, msPaused };

class TMacroRecorder : public QObject {
    Q_OBJECT
  public:
    explicit TMacroRecorder(QsciScintilla* editor, QObject* parent = nullptr);

    TMacroState State() const { return m_state; }
    // The recorded macro in QScintilla's printable form; empty when nothing was recorded.
    QString MacroText() const { return m_macroText; }

    // Ctrl+Shift+R: idle starts a new recording (the old macro goes); recording or paused stops
    // it and keeps what was recorded.
    void RecordShortcut();
    // Ctrl+Shift+P: idle plays the macro at the caret; recording pauses; paused resumes.
    void PlaybackShortcut();

  signals:
    void StateChanged(qv::TMacroState state);

  private:
    void SetState(TMacroState s);
    // What the live QsciMacro holds, added to the part recorded before the last pause.
    QString CollectedText() const;

    // QsciMacro takes the editor as its parent, so the editor owns it.
    QPointer<QsciMacro> m_macro;
    TMacroState m_state = TMacroState::msIdle;
    QString m_beforePause; // recorded segments so far, while a recording is under way
    QString m_macroText;   // the finished macro
};

} // namespace qv
