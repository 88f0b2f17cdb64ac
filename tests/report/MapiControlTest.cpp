// Mail sending: the message built from the properties, what reaches the composer or sendmail
// (captured through the runner seam, and once through the real programs), and the result events.
#include "report/MapiControl.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace qv;

namespace {

struct Captured {
    std::optional<TMailCommand> command;
    int calls = 0;
};

TMailRunner Capture(Captured& c, int status = 0) {
    return [&c, status](const TMailCommand& cmd) {
        c.command = cmd;
        ++c.calls;
        return status;
    };
}

// name=value fields of a mailto: URL, values decoded.
QList<std::pair<QString, QString>> MailtoFields(const QString& url) {
    QList<std::pair<QString, QString>> out;
    const qsizetype q = url.indexOf('?');
    for (const QString& f : url.mid(q + 1).split('&')) {
        const qsizetype eq = f.indexOf('=');
        out.append({f.left(eq),
                    QString::fromUtf8(QByteArray::fromPercentEncoding(f.mid(eq + 1).toLatin1()))});
    }
    return out;
}

QString Field(const QList<std::pair<QString, QString>>& fields, const QString& name) {
    for (const auto& [n, v] : fields)
        if (n == name)
            return v;
    return "<absent>";
}

// Header block and body of a message with LF line ends; folded lines joined.
struct ParsedMail {
    QStringList headers;
    QByteArray body;
};

ParsedMail Parse(const QByteArray& message) {
    ParsedMail p;
    const qsizetype end = message.indexOf("\n\n");
    for (const QByteArray& line : message.left(end).split('\n')) {
        if (line.startsWith(' ') && !p.headers.isEmpty())
            p.headers.last() += QString::fromUtf8(line);
        else
            p.headers.append(QString::fromUtf8(line));
    }
    p.body = message.mid(end + 2);
    return p;
}

QString Header(const ParsedMail& p, const QString& name) {
    for (const QString& h : p.headers)
        if (h.startsWith(name + ": "))
            return h.mid(name.size() + 2);
    return "<absent>";
}

// Undoes RFC 2047 B-encoded words (and the folding blanks between them).
QString DecodeWords(const QString& text) {
    static const QRegularExpression word(R"(=\?UTF-8\?B\?([A-Za-z0-9+/=]*)\?=)");
    if (!text.startsWith("=?"))
        return text;
    QByteArray bytes;
    for (auto it = word.globalMatch(text); it.hasNext();)
        bytes += QByteArray::fromBase64(it.next().captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

const QString Awkward = QString::fromUtf8("-n \\c --subject=x & body=y ? %41 %%\r\nBcc: "
                                          "evil@example.org\n+#;\"'`$(id) Größe 25 mm² ✓\r\n");

} // namespace

TEST(MapiControl, BuildsRecipientsInToCcBccOrderWithSmtpAddresses) {
    TMapiControl mapi;
    mapi.FromName = "Ann";
    mapi.FromAdress = "";
    mapi.BlindCopyTo = {"b1@x.org"};
    mapi.CopyTo = {"c1@x.org", "c2@x.org"};
    mapi.Recipients = {"t1@x.org", "Bob Smith"};
    const TMapiMessage m = mapi.BuildMessage();

    EXPECT_EQ(m.Originator, (TMapiRecipDesc{MAPI_ORIG, "Ann", ""}));
    const QList<TMapiRecipDesc> expected = {{MAPI_TO, "t1@x.org", "SMTP:t1@x.org"},
                                            {MAPI_TO, "Bob Smith", "SMTP:Bob Smith"},
                                            {MAPI_CC, "c1@x.org", "SMTP:c1@x.org"},
                                            {MAPI_CC, "c2@x.org", "SMTP:c2@x.org"},
                                            {MAPI_BCC, "b1@x.org", "SMTP:b1@x.org"}};
    EXPECT_EQ(m.Recips, expected);
    EXPECT_TRUE(m.Files.isEmpty());
}

TEST(MapiControl, AttachmentsCarryTheirNamePartAndAreKeptOverASendWithoutAttachments) {
    TMapiControl mapi;
    Captured c;
    mapi.SetMailRunner(Capture(c));
    mapi.AttachedFiles = {"/tmp/Reports/Week 12.txt", "plain.txt", "/a/b:c/10:30 run.log"};
    const TMapiMessage m = mapi.BuildMessage();
    EXPECT_EQ(mapi.DisplayFileName(), (QStringList{"Week 12.txt", "plain.txt", "10:30 run.log"}));
    ASSERT_EQ(m.Files.size(), 3);
    EXPECT_EQ(m.Files[0],
              (TMapiFileDesc{0, 0, 0xFFFFFFFF, "/tmp/Reports/Week 12.txt", "Week 12.txt"}));

    mapi.AttachedFiles.clear();
    mapi.Send();
    EXPECT_EQ(mapi.DisplayFileName(), (QStringList{"Week 12.txt", "plain.txt", "10:30 run.log"}));
}

TEST(MapiControl, ResultsRaiseExactlyOneEvent) {
    struct Row {
        const char* name;
        bool dialog;
        int status;
        const char* event;
        int code;
    };
    const Row rows[] = {
        {"composer started", true, 0, "success", 0},
        {"no composer program", true, MailProgramMissing, "abort", 0},
        {"composer finds no mail program", true, 3, "abort", 0},
        {"composer failed", true, 4, "error", MAPI_E_FAILURE},
        {"sendmail accepted", false, 0, "success", 0},
        {"no sendmail", false, MailProgramMissing, "abort", 0},
        {"sendmail refused", false, 75, "error", MAPI_E_FAILURE},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TMapiControl mapi;
        Captured c;
        mapi.SetMailRunner(Capture(c, r.status));
        mapi.ShowDialog = r.dialog;
        mapi.Recipients = {"a@x.org"};
        QStringList events;
        int code = 0;
        QObject* sender = nullptr;
        mapi.OnSuccess = [&](QObject* s) { events << "success", sender = s; };
        mapi.OnUserAbort = [&](QObject* s) { events << "abort", sender = s; };
        mapi.OnMapiError = [&](QObject* s, int e) { events << "error", sender = s, code = e; };
        mapi.Send();
        EXPECT_EQ(events, QStringList{r.event});
        EXPECT_EQ(code, r.code);
        EXPECT_EQ(sender, &mapi);
        EXPECT_EQ(c.calls, 1);

        // Unassigned events are skipped.
        mapi.OnSuccess = nullptr;
        mapi.OnUserAbort = nullptr;
        mapi.OnMapiError = nullptr;
        mapi.Send();
    }
}

TEST(MapiControl, MissingAttachmentIsReportedWithoutStartingAnything) {
    for (bool dialog : {true, false}) {
        TMapiControl mapi;
        Captured c;
        mapi.SetMailRunner(Capture(c));
        mapi.ShowDialog = dialog;
        mapi.AttachedFiles = {"/nonexistent/ampwise/report.txt"};
        int code = 0;
        mapi.OnMapiError = [&](QObject*, int e) { code = e; };
        mapi.Send();
        EXPECT_EQ(code, MAPI_E_ATTACHMENT_NOT_FOUND);
        EXPECT_EQ(c.calls, 0);
    }
}

TEST(MapiControl, ComposerGetsOneMailtoArgumentWithEveryFieldWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("r&d ?.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    TMapiControl mapi;
    Captured c;
    mapi.SetMailRunner(Capture(c));
    mapi.ShowDialog = true;
    mapi.Subject = Awkward;
    mapi.Body = Awkward + Awkward;
    mapi.Recipients = {"to@x.org", "a&cc=b@y.org"};
    mapi.CopyTo = {"cc@x.org"};
    mapi.BlindCopyTo = {"bcc@x.org"};
    mapi.AttachedFiles = {path};
    mapi.Send();

    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->Program, "xdg-email");
    ASSERT_EQ(c.command->Arguments.size(), 1);
    const QString url = c.command->Arguments[0];
    EXPECT_TRUE(url.startsWith("mailto:?"));
    // Nothing a shell, echo or URL parser could act on.
    EXPECT_TRUE(QRegularExpression(R"(^mailto:\?[A-Za-z0-9%._~@/=&-]*$)").match(url).hasMatch())
        << url.toStdString();

    const auto fields = MailtoFields(url);
    const QList<std::pair<QString, QString>> expected = {
        {"to", "to@x.org"},   {"to", "a&cc=b@y.org"},      {"cc", "cc@x.org"}, {"bcc", "bcc@x.org"},
        {"subject", Awkward}, {"body", Awkward + Awkward}, {"attach", path}};
    EXPECT_EQ(fields, expected);
}

TEST(MapiControl, SendmailMessageKeepsHeadersOnTheirLinesAndBodyWhole) {
    TMapiControl mapi;
    Captured c;
    mapi.SetMailRunner(Capture(c));
    mapi.Subject = Awkward;
    mapi.Body = Awkward;
    mapi.FromName = "Ann \"Q\" O'Neil";
    mapi.FromAdress = "ann@x.org\r\nBcc: evil@example.org";
    mapi.Recipients = {"to@x.org", "to2@x.org\nX-Injected: 1"};
    mapi.CopyTo = {"cc@x.org"};
    mapi.BlindCopyTo = {"bcc@x.org"};
    mapi.Send();

    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->Program, "sendmail");
    EXPECT_EQ(c.command->Arguments, (QStringList{"-t", "-oi"}));
    const ParsedMail p = Parse(c.command->Input);
    EXPECT_FALSE(c.command->Input.contains('\r'));

    QStringList names;
    for (const QString& h : p.headers)
        names << h.left(h.indexOf(':'));
    EXPECT_EQ(names, (QStringList{"From", "To", "Cc", "Bcc", "Subject", "MIME-Version",
                                  "Content-Type", "Content-Transfer-Encoding"}));
    EXPECT_EQ(Header(p, "From"), "\"Ann \\\"Q\\\" O'Neil\" <ann@x.org  Bcc: evil@example.org>");
    EXPECT_EQ(Header(p, "To"), "to@x.org, to2@x.org X-Injected: 1");
    EXPECT_EQ(Header(p, "Bcc"), "bcc@x.org");
    QString oneLine = Awkward;
    oneLine.replace('\r', ' ').replace('\n', ' ');
    EXPECT_EQ(DecodeWords(Header(p, "Subject")), oneLine);
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(p.body)), Awkward);
}

TEST(MapiControl, SendmailMessageCarriesAttachments) {
    QTemporaryDir dir;
    const QString a = dir.filePath("Week 12.txt");
    const QString b = dir.filePath("Größe.bin");
    const QByteArray binary("\x00\x01\xFF\r\n.\n", 7);
    for (const auto& [path, data] : {std::pair{a, QByteArray("line\n")}, std::pair{b, binary}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    TMapiControl mapi;
    Captured c;
    mapi.SetMailRunner(Capture(c));
    mapi.Recipients = {"to@x.org"};
    mapi.Body = "Report";
    mapi.AttachedFiles = {a, b};
    mapi.Send();
    ASSERT_TRUE(c.command);

    const QByteArray msg = c.command->Input;
    const QByteArray boundary = "=_Ampwise_part_boundary";
    EXPECT_TRUE(msg.contains("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n"));
    // Parts between boundary lines.
    QList<QByteArray> sections;
    qsizetype pos = msg.indexOf("--" + boundary + "\n");
    while (pos >= 0) {
        const qsizetype start = pos + boundary.size() + 3;
        const qsizetype next = msg.indexOf("--" + boundary, start);
        sections.append(msg.mid(start, next - start));
        pos = msg.indexOf("--" + boundary + "\n", start);
    }
    EXPECT_TRUE(msg.endsWith("--" + boundary + "--\n"));
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(QByteArray::fromBase64(Parse(sections[0]).body), "Report");
    const ParsedMail first = Parse(sections[1]);
    EXPECT_EQ(Header(first, "Content-Disposition"), "attachment; filename=\"Week 12.txt\"");
    EXPECT_EQ(QByteArray::fromBase64(first.body), "line\n");
    const ParsedMail second = Parse(sections[2]);
    EXPECT_EQ(Header(second, "Content-Disposition"),
              "attachment; filename*=UTF-8''Gr%C3%B6%C3%9Fe.bin");
    EXPECT_EQ(QByteArray::fromBase64(second.body), binary);
}

TEST(MapiControl, TooLongForOneArgumentIsAnErrorNotAMissingMailSystem) {
    TMapiControl mapi;
    Captured c;
    mapi.SetMailRunner(Capture(c));
    mapi.ShowDialog = true;
    mapi.Body = QString(50000, QChar(0x00E9)); // 6 URL bytes each
    int code = 0;
    mapi.OnMapiError = [&](QObject*, int e) { code = e; };
    mapi.Send();
    EXPECT_EQ(code, MAPI_E_TEXT_TOO_LARGE);
    EXPECT_EQ(c.calls, 0);
}

// The real programs, with a stand-in mail client or sendmail that records what it was given.
class MailProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldPath = qgetenv("PATH");
        m_oldMailer = qgetenv("MAILER");
    }
    void TearDown() override {
        qputenv("PATH", m_oldPath);
        if (m_oldMailer.isNull())
            qunsetenv("MAILER");
        else
            qputenv("MAILER", m_oldMailer);
    }
    QString Script(const QString& name, const QByteArray& text) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + text);
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
        return path;
    }
    QByteArray ReadBack(const QString& name) {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<not written>");
    }
    QTemporaryDir m_dir;
    QByteArray m_oldPath, m_oldMailer;
};

TEST_F(MailProgramTest, XdgEmailPassesTheUrlThroughUnchanged) {
    if (QStandardPaths::findExecutable("xdg-email").isEmpty())
        GTEST_SKIP() << "xdg-email is not installed";
    const QString out = m_dir.filePath("url.txt");
    qputenv("MAILER", Script("mailer", "printf '%s' \"$1\" > '" + out.toUtf8() + "'\n").toUtf8());

    TMapiControl mapi;
    mapi.ShowDialog = true;
    mapi.Subject = Awkward;
    mapi.Body = Awkward;
    mapi.Recipients = {"to@x.org"};
    bool ok = false;
    mapi.OnSuccess = [&](QObject*) { ok = true; };
    mapi.Send();
    EXPECT_TRUE(ok);
    const QString url = QString::fromLatin1(ReadBack("url.txt"));
    const auto fields = MailtoFields(url);
    EXPECT_EQ(Field(fields, "subject"), Awkward);
    EXPECT_EQ(Field(fields, "body"), Awkward);
    EXPECT_EQ(Field(fields, "to"), "to@x.org");
}

TEST_F(MailProgramTest, SendmailOnPathGetsTheMessageOnStandardInput) {
    Script("sendmail", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
                       "cat > \"$(dirname \"$0\")/stdin\"\nexit 0\n");
    qputenv("PATH", m_dir.path().toUtf8() + ":" + m_oldPath);
    TMapiControl mapi;
    mapi.Recipients = {"to@x.org"};
    mapi.Body = Awkward;
    bool ok = false;
    mapi.OnSuccess = [&](QObject*) { ok = true; };
    mapi.Send();
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadBack("args"), "-t\n-oi\n");
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(Parse(ReadBack("stdin")).body)), Awkward);
}

TEST_F(MailProgramTest, FailingSendmailIsAnErrorAndAMissingProgramIsReported) {
    Script("sendmail", "cat > /dev/null\nexit 67\n");
    qputenv("PATH", m_dir.path().toUtf8() + ":" + m_oldPath);
    TMapiControl mapi;
    int code = 0;
    mapi.OnMapiError = [&](QObject*, int e) { code = e; };
    mapi.Send();
    EXPECT_EQ(code, MAPI_E_FAILURE);

    EXPECT_EQ(RunMailProgram({"ampwise-no-such-mail-program", {}, {}, false}), MailProgramMissing);
}
