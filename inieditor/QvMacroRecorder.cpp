// Keystroke macros of the INI editor: the idle / recording / paused state machine over the text
// area's own macro recording, and a playback that behaves as the typing did.
#include "inieditor/QvMacroRecorder_p.h"

#include <Qsci/qsciscintilla.h>

namespace qv {

TMacroRecorder::TMacroRecorder(QsciScintilla* editor, QObject* parent)
    : QObject(parent), m_editor(editor) {
    connect(editor, &QsciScintillaBase::SCN_MACRORECORD, this, &TMacroRecorder::Record);
}

void TMacroRecorder::SetState(TMacroState s) {
    if (s == m_state)
        return;
    m_state = s;
    emit StateChanged(s);
}

void TMacroRecorder::Record(unsigned int msg, unsigned long wParam, void* lParam) {
    if (m_state != TMacroState::msRecording)
        return;
    const char* text = static_cast<const char*>(lParam);
    TStep step{msg, wParam, {}};
    switch (msg) {
    case QsciScintillaBase::SCI_REPLACESEL:
        // Typed characters arrive one by one; kept together, a line end stays whole (CR LF).
        if (!m_recording.empty() && m_recording.back().Msg == msg) {
            m_recording.back().Text.append(text);
            return;
        }
        step.Text = text;
        break;
    case QsciScintillaBase::SCI_ADDTEXT:
    case QsciScintillaBase::SCI_APPENDTEXT:
        step.Text = QByteArray(text, static_cast<qsizetype>(wParam));
        break;
    case QsciScintillaBase::SCI_INSERTTEXT:
    case QsciScintillaBase::SCI_SEARCHNEXT:
    case QsciScintillaBase::SCI_SEARCHPREV:
        step.Text = text;
        break;
    default:
        break;
    }
    m_recording.push_back(std::move(step));
}

void TMacroRecorder::RecordShortcut() {
    if (!m_editor)
        return;
    switch (m_state) {
    case TMacroState::msIdle:
        m_recording.clear();
        m_macro.clear();
        SetState(TMacroState::msRecording);
        m_editor->SendScintilla(QsciScintillaBase::SCI_STARTRECORD);
        break;
    case TMacroState::msRecording:
        m_editor->SendScintilla(QsciScintillaBase::SCI_STOPRECORD);
        [[fallthrough]];
    case TMacroState::msPaused:
        m_macro = std::move(m_recording);
        m_recording.clear();
        SetState(TMacroState::msIdle);
        break;
    }
}

void TMacroRecorder::PlaybackShortcut() {
    if (!m_editor)
        return;
    switch (m_state) {
    case TMacroState::msIdle:
        Play();
        break;
    case TMacroState::msRecording:
        m_editor->SendScintilla(QsciScintillaBase::SCI_STOPRECORD);
        SetState(TMacroState::msPaused);
        break;
    case TMacroState::msPaused:
        SetState(TMacroState::msRecording);
        m_editor->SendScintilla(QsciScintillaBase::SCI_STARTRECORD);
        break;
    }
}

void TMacroRecorder::Play() const {
    for (const TStep& step : m_macro) {
        if (step.Msg == QsciScintillaBase::SCI_REPLACESEL)
            PlayTyped(step.Text);
        else
            m_editor->SendScintilla(step.Msg, step.WParam, step.Text.constData());
    }
}

void TMacroRecorder::PlayTyped(const QByteArray& text) const {
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = at;
        if (isLineEnd(text[at])) {
            // One line end: CR LF, CR or LF.
            end = at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
        } else {
            while (end < text.size() && !isLineEnd(text[end]))
                ++end;
        }
        const QByteArray piece = text.mid(at, end - at);
        m_editor->SendScintilla(QsciScintillaBase::SCI_REPLACESEL, piece.constData());
        if (isLineEnd(piece[0]))
            for (char c : piece)
                emit m_editor->SCN_CHARADDED(c);
        at = end;
    }
}

} // namespace qv
