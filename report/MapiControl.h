// TMapiControl: sends one mail message (subject, body, To/Cc/Bcc, attachments, originator).
// The message is first built in the shape the mail interface expects, then handed to the
// desktop's mail composer (xdg-email, when ShowDialog is on) or to a sendmail program.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace qv {

// Result codes of a send, as the mail interface numbers them.
enum : int {
    MAPI_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_ATTACHMENT_NOT_FOUND = 11,
    MAPI_E_ATTACHMENT_OPEN_FAILURE = 12,
    MAPI_E_TEXT_TOO_LARGE = 18,
};

// Recipient classes.
enum : std::uint32_t { MAPI_ORIG = 0, MAPI_TO = 1, MAPI_CC = 2, MAPI_BCC = 3 };

struct TMapiRecipDesc {
    std::uint32_t RecipClass = MAPI_ORIG;
    QString Name;
    QString Address;
    bool operator==(const TMapiRecipDesc&) const = default;
};

struct TMapiFileDesc {
    std::uint32_t Reserved = 0;
    std::uint32_t Flags = 0;
    std::uint32_t Position = 0xFFFFFFFF; // not placed in the body text
    QString PathName;
    QString FileName;
    bool operator==(const TMapiFileDesc&) const = default;
};

struct TMapiMessage {
    QString Subject;
    QString NoteText;
    TMapiRecipDesc Originator;
    QList<TMapiRecipDesc> Recips;
    QList<TMapiFileDesc> Files;
};

// One program run that delivers a message: the argument vector goes to the program directly,
// never through a shell; Input is written to its standard input.
struct TMailCommand {
    QString Program;
    QStringList Arguments;
    QByteArray Input;
    // The user's composer: it may stay open, so the wait for it is bounded.
    bool Interactive = false;
};

// Returned by a mail runner when the program does not exist or cannot be started.
inline constexpr int MailProgramMissing = -1;
// Runs a command to its end and returns its exit status (or MailProgramMissing).
using TMailRunner = std::function<int(const TMailCommand&)>;
// The runner used unless another is set: finds the program (sendmail also in the system
// folders outside the user's PATH) and waits for it.
int RunMailProgram(const TMailCommand& command);

// The mailto: URL handed to the composer. Every character of every field outside the unreserved
// set is percent-encoded, so no text can become a URL parameter, an option or a shell word.
QByteArray BuildMailtoUrl(const TMapiMessage& message);
// The RFC 5322 message for "sendmail -t -oi", with LF line ends. Header fields never carry a
// line break of the caller's; bodies and attachments are base64. Throws nothing; an attachment
// that cannot be read yields the matching error code instead of a message.
struct TMimeResult {
    int Error = MAPI_SUCCESS;
    QByteArray Message;
};
TMimeResult BuildMimeMessage(const TMapiMessage& message);

class TMapiControl : public QObject {
  public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TMapiErrEvent = std::function<void(QObject* sender, int errCode)>;

    explicit TMapiControl(QObject* owner = nullptr);

    QString Subject;
    QString Body;
    QString FromName;
    QString FromAdress;
    QStringList Recipients;
    QStringList CopyTo;
    QStringList BlindCopyTo;
    QStringList AttachedFiles;
    bool ShowDialog = false;

    TNotifyEvent OnUserAbort;
    TMapiErrEvent OnMapiError;
    TNotifyEvent OnSuccess;

    // Filled by Send from AttachedFiles; a send without attachments leaves it as it was.
    const QStringList& DisplayFileName() const { return m_displayFileName; }

    // Builds the message, hands it over and raises exactly one of the three events.
    void Send();

    // The message Send would hand over (updates DisplayFileName like Send does).
    TMapiMessage BuildMessage();
    // Hands a built message to the mail program and returns the result code.
    int Deliver(const TMapiMessage& message) const;

    // Tests put a runner here to see exactly what would reach the mail program.
    void SetMailRunner(TMailRunner runner) { m_runner = std::move(runner); }

  private:
    QStringList m_displayFileName;
    TMailRunner m_runner;
};

} // namespace qv
