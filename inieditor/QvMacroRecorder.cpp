// Keystroke macros of the INI editor: the idle / recording / paused state machine over QsciMacro.
#include "inieditor/QvMacroRecorder.h"

#include <Qsci/qsciscintilla.h>

namespace qv {

TMacroRecorder::TMacroRecorder(QsciScintilla* editor, QObject* parent)
    : QObject(parent), m_macro(new QsciMacro(editor)) {}

void TMacroRecorder::SetState(TMacroState s) {
    if (s == m_state)
        return;
    m_state = s;
    emit StateChanged(s);
}

QString TMacroRecorder::CollectedText() const {
    const QString live = m_macro->save();
    if (m_beforePause.isEmpty())
        return live;
    if (live.isEmpty())
        return m_beforePause;
    return m_beforePause + QLatin1Char(' ') + live;
}

void TMacroRecorder::RecordShortcut() {
    switch (m_state) {
    case TMacroState::msIdle:
        m_beforePause.clear();
        m_macroText.clear();
        m_macro->clear();
        m_macro->startRecording();
        SetState(TMacroState::msRecording);
        break;
    case TMacroState::msRecording:
        m_macro->endRecording();
        m_macroText = CollectedText();
        m_beforePause.clear();
        SetState(TMacroState::msIdle);
        break;
    case TMacroState::msPaused:
        // The live macro already went into m_beforePause when the pause began.
        m_macroText = m_beforePause;
        m_beforePause.clear();
        SetState(TMacroState::msIdle);
        break;
    }
}

void TMacroRecorder::PlaybackShortcut() {
    switch (m_state) {
    case TMacroState::msIdle:
        if (m_macroText.isEmpty())
            return;
        // QsciMacro plays what it holds; load the finished macro in case a pause split it.
        if (m_macro->load(m_macroText))
            m_macro->play();
        break;
    case TMacroState::msRecording:
        m_macro->endRecording();
        m_beforePause = CollectedText();
        SetState(TMacroState::msPaused);
        break;
    case TMacroState::msPaused:
        // startRecording() empties the live macro; the earlier part waits in m_beforePause.
        m_macro->startRecording();
        SetState(TMacroState::msRecording);
        break;
    }
}

} // namespace qv
