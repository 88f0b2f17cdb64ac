// TMapiControl and the two ways a message leaves the program: a mailto: URL for the desktop's
// composer, or an RFC 5322 message for a sendmail program.
#include "report/MapiControl.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace qv {

namespace {

// Linux refuses a single argument longer than this (MAX_ARG_STRLEN), so a longer URL could
// never reach the composer; say so instead of failing to start it.
constexpr qsizetype MaxUrlLength = 128 * 1024 - 1;

// How long the composer's launcher may take before we take the message as handed over; some
// launchers stay until the mail program they started exits.
constexpr int ComposerWaitMs = 30000;

QString StripSmtp(const QString& address) {
    return address.startsWith(QLatin1String("SMTP:"), Qt::CaseInsensitive) ? address.mid(5)
                                                                           : address;
}

// A header field's text on one line: control characters (CR and LF among them) become blanks.
QString OneLine(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return out;
}

bool IsPlainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// RFC 2047 encoded words, folded onto continuation lines; chunks end on whole UTF-8 characters.
QByteArray EncodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    qsizetype pos = 0;
    while (pos < utf8.size()) {
        qsizetype len = std::min<qsizetype>(45, utf8.size() - pos);
        while (pos + len < utf8.size() &&
               (static_cast<unsigned char>(utf8[pos + len]) & 0xC0) == 0x80)
            --len;
        if (!out.isEmpty())
            out += "\n ";
        out += "=?UTF-8?B?" + utf8.mid(pos, len).toBase64() + "?=";
        pos += len;
    }
    return out;
}

// Unstructured header text: as it is when short plain ASCII that can't be mistaken for an
// encoded word, else encoded words.
QByteArray HeaderText(const QString& text) {
    const QString line = OneLine(text);
    if (IsPlainAscii(line) && line.size() <= 70 && !line.contains(QLatin1String("=?")))
        return line.toLatin1();
    return EncodedWords(line);
}

// An address as it goes into a To/Cc/Bcc/From field: one line, raw UTF-8.
QByteArray HeaderAddress(const QString& address) {
    return OneLine(StripSmtp(address)).toUtf8();
}

QByteArray DisplayName(const QString& name) {
    const QString line = OneLine(name);
    if (!IsPlainAscii(line) || line.contains(QLatin1String("=?")))
        return EncodedWords(line);
    QByteArray quoted = "\"";
    for (QChar c : line) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += '\\';
        quoted += static_cast<char>(c.unicode());
    }
    return quoted + '"';
}

QByteArray Base64Lines(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < b64.size(); i += 76)
        out += b64.mid(i, 76) + '\n';
    return out;
}

QByteArray FileNameParam(const QString& name) {
    const QString line = OneLine(name);
    if (IsPlainAscii(line) && !line.contains(QLatin1Char('"')) && !line.contains(QLatin1Char('\\')))
        return "filename=\"" + line.toLatin1() + '"';
    return "filename*=UTF-8''" + QUrl::toPercentEncoding(line);
}

void AddAddressField(QByteArray& out, const char* field, const QList<TMapiRecipDesc>& recips,
                     std::uint32_t recipClass) {
    QByteArray list;
    for (const TMapiRecipDesc& r : recips) {
        if (r.RecipClass != recipClass)
            continue;
        if (!list.isEmpty())
            list += ",\n ";
        list += HeaderAddress(r.Address);
    }
    if (!list.isEmpty())
        out += QByteArray(field) + ": " + list + '\n';
}

int MissingAttachment(const TMapiMessage& message) {
    for (const TMapiFileDesc& f : message.Files)
        if (!QFileInfo(f.PathName).isFile())
            return MAPI_E_ATTACHMENT_NOT_FOUND;
    return MAPI_SUCCESS;
}

} // namespace

QByteArray BuildMailtoUrl(const TMapiMessage& message) {
    QList<QByteArray> fields;
    const auto add = [&](const char* name, const QString& value, const QByteArray& keep = {}) {
        fields.append(QByteArray(name) + '=' + QUrl::toPercentEncoding(value, keep));
    };
    for (std::uint32_t cls : {MAPI_TO, MAPI_CC, MAPI_BCC})
        for (const TMapiRecipDesc& r : message.Recips)
            if (r.RecipClass == cls)
                add(cls == MAPI_TO   ? "to"
                    : cls == MAPI_CC ? "cc"
                                     : "bcc",
                    StripSmtp(r.Address), "@");
    add("subject", message.Subject);
    add("body", message.NoteText);
    for (const TMapiFileDesc& f : message.Files)
        add("attach", QFileInfo(f.PathName).absoluteFilePath(), "/");
    return "mailto:?" + fields.join('&');
}

TMimeResult BuildMimeMessage(const TMapiMessage& message) {
    TMimeResult result;
    QByteArray& out = result.Message;
    if (!message.Originator.Address.isEmpty()) {
        out += "From: ";
        if (!message.Originator.Name.isEmpty())
            out += DisplayName(message.Originator.Name) + ' ';
        out += '<' + HeaderAddress(message.Originator.Address) + ">\n";
    }
    AddAddressField(out, "To", message.Recips, MAPI_TO);
    AddAddressField(out, "Cc", message.Recips, MAPI_CC);
    AddAddressField(out, "Bcc", message.Recips, MAPI_BCC);
    out += "Subject: " + HeaderText(message.Subject) + '\n';
    out += "MIME-Version: 1.0\n";

    const QByteArray textPart = "Content-Type: text/plain; charset=UTF-8\n"
                                "Content-Transfer-Encoding: base64\n\n" +
                                Base64Lines(message.NoteText.toUtf8());
    if (message.Files.isEmpty()) {
        out += textPart;
        return result;
    }
    // Base64 never holds "_", so this boundary cannot occur inside a part.
    const QByteArray boundary = "=_Ampwise_part_boundary";
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n\n";
    out += "--" + boundary + '\n' + textPart;
    for (const TMapiFileDesc& f : message.Files) {
        QFile file(f.PathName);
        if (!QFileInfo(f.PathName).isFile()) {
            result.Error = MAPI_E_ATTACHMENT_NOT_FOUND;
            return result;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            result.Error = MAPI_E_ATTACHMENT_OPEN_FAILURE;
            return result;
        }
        out += "--" + boundary + '\n';
        out += "Content-Type: application/octet-stream\n";
        out += "Content-Disposition: attachment; " + FileNameParam(f.FileName) + '\n';
        out += "Content-Transfer-Encoding: base64\n\n";
        out += Base64Lines(file.readAll());
    }
    out += "--" + boundary + "--\n";
    return result;
}

int RunMailProgram(const TMailCommand& command) {
    QString path = QStandardPaths::findExecutable(command.Program);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            command.Program,
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/lib"), QStringLiteral("/sbin")});
    if (path.isEmpty())
        return MailProgramMissing;

    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(path, command.Arguments);
    if (!process->waitForStarted()) {
        delete process;
        return MailProgramMissing;
    }
    process->write(command.Input);
    process->closeWriteChannel();
    if (!process->waitForFinished(command.Interactive ? ComposerWaitMs : -1)) {
        // Still open: the composer is showing the message. Let it run on its own.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return 0;
    }
    const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : 255;
    delete process;
    return code;
}

TMapiControl::TMapiControl(QObject* owner) : QObject(owner), m_runner(RunMailProgram) {}

TMapiMessage TMapiControl::BuildMessage() {
    TMapiMessage message;
    message.Originator = {MAPI_ORIG, FromName, FromAdress};
    message.Recips.reserve(Recipients.size() + CopyTo.size() + BlindCopyTo.size());
    const auto add = [&](const QStringList& list, std::uint32_t cls) {
        for (const QString& e : list)
            message.Recips.append({cls, e, QStringLiteral("SMTP:") + e});
    };
    add(Recipients, MAPI_TO);
    add(CopyTo, MAPI_CC);
    add(BlindCopyTo, MAPI_BCC);

    if (!AttachedFiles.isEmpty()) {
        m_displayFileName.clear();
        for (const QString& path : AttachedFiles)
            m_displayFileName.append(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        for (qsizetype i = 0; i < AttachedFiles.size(); ++i)
            message.Files.append({0, 0, 0xFFFFFFFF, AttachedFiles[i], m_displayFileName[i]});
    }
    message.Subject = Subject;
    message.NoteText = Body;
    return message;
}

int TMapiControl::Deliver(const TMapiMessage& message) const {
    TMailCommand command;
    if (ShowDialog) {
        if (const int missing = MissingAttachment(message))
            return missing;
        const QByteArray url = BuildMailtoUrl(message);
        if (url.size() > MaxUrlLength)
            return MAPI_E_TEXT_TOO_LARGE;
        command = {QStringLiteral("xdg-email"), {QString::fromLatin1(url)}, {}, true};
    } else {
        TMimeResult mime = BuildMimeMessage(message);
        if (mime.Error != MAPI_SUCCESS)
            return mime.Error;
        command = {QStringLiteral("sendmail"),
                   {QStringLiteral("-t"), QStringLiteral("-oi")},
                   std::move(mime.Message),
                   false};
    }

    const int status = m_runner(command);
    if (status == MailProgramMissing)
        return MAPI_USER_ABORT;
    if (status == 0)
        return MAPI_SUCCESS;
    if (ShowDialog && status == 3) // xdg-email: no way to reach a mail program
        return MAPI_USER_ABORT;
    if (ShowDialog && status == 2) // xdg-email: an attached file is missing
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    return MAPI_E_FAILURE;
}

void TMapiControl::Send() {
    const int result = Deliver(BuildMessage());
    if (result == MAPI_SUCCESS) {
        if (OnSuccess)
            OnSuccess(this);
    } else if (result == MAPI_USER_ABORT) {
        if (OnUserAbort)
            OnUserAbort(this);
    } else if (OnMapiError) {
        OnMapiError(this, result);
    }
}

} // namespace qv
