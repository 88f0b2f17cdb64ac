// The About box through the real dialog: labels from this test program's own version block,
// which clicks close it, and that Escape does not.
#include "verinfo/QvQuickAbout.h"

#include "tests/testsupport/UiTestFixture.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>

namespace {

using AboutForm = qv::test::UiTestFixture;

TEST_F(AboutForm, LayoutAndTextsFromTheVersionInformation) {
    qv::TAboutForm form;
    EXPECT_EQ(form.objectName(), "AboutForm");
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.size(), QSize(352, 156));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_TRUE(form.CreateError().isEmpty());

    EXPECT_EQ(form.NameLabel->text(), "Ampwise Cable Calculator");
    EXPECT_EQ(form.VersionLabel->text(), "Version 1.0.1.0");
    EXPECT_FALSE(form.ByLine->text().isEmpty());
    EXPECT_TRUE(form.CopyrightLabel->text().startsWith(QString::fromUtf8("Copyright \u00A9")));
    EXPECT_EQ(form.NameLabel->font().pointSize(), 14);

    struct Place {
        QWidget* widget;
        QPoint pos;
    };
    for (const Place& p : {Place{form.Image1, {8, 8}}, Place{form.NameLabel, {56, 16}},
                           Place{form.VersionLabel, {8, 53}}, Place{form.ByLine, {8, 88}},
                           Place{form.CopyrightLabel, {8, 104}}, Place{form.Bevel1, {0, 124}}}) {
        SCOPED_TRACE(p.widget->objectName().toStdString());
        EXPECT_EQ(p.widget->pos(), p.pos);
        EXPECT_EQ(p.widget->parentWidget(), &form);
    }
    EXPECT_EQ(form.Image1->size(), QSize(33, 33));
    EXPECT_EQ(form.Bevel1->size(), QSize(352, 32));
    // Made at start-up, the box draws its emblem and measures its texts only when shown.
    EXPECT_TRUE(form.Image1->pixmap().isNull());
    form.show();
    EXPECT_EQ(form.Image1->pixmap().deviceIndependentSize(), QSizeF(32, 32));
    // Automatic size: the whole text fits, with nothing cut.
    for (QLabel* label : {form.NameLabel, form.VersionLabel, form.ByLine, form.CopyrightLabel}) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_LE(label->geometry().right(), form.width()) << "the text fits in the box";
    }
}

TEST_F(AboutForm, FileWithoutVersionInformationKeepsDesignTextsAndReportsOnce) {
    QString shown;
    onNextModal([&](QWidget* box) {
        if (auto* mb = qobject_cast<QMessageBox*>(box))
            shown = mb->text();
        box->close();
    });
    qv::TAboutForm form(nullptr, QStringLiteral("/proc/self/cmdline"));
    EXPECT_EQ(form.NameLabel->text(), "Editor");
    EXPECT_EQ(form.VersionLabel->text(), "Version 1.0.0.0");
    EXPECT_EQ(form.CreateError(), "No Version Info Available.");
    QTRY_COMPARE(shown, QStringLiteral("No Version Info Available."));
}

TEST_F(AboutForm, OnlyAClickOnTheFreeBackgroundCloses) {
    qv::TAboutForm form;
    struct Row {
        const char* name;
        QWidget* target; // null: the form itself at `pos`
        QPoint pos;
        bool closes;
    };
    const Row rows[] = {
        {"picture", form.Image1, {16, 16}, false},
        {"name label", form.NameLabel, {5, 5}, false},
        {"version label", form.VersionLabel, {3, 3}, false},
        {"by-line", form.ByLine, {3, 3}, false},
        {"copyright", form.CopyrightLabel, {3, 3}, false},
        {"label spot seen from the form", nullptr, form.NameLabel->geometry().center(), false},
        {"right mouse button on the background", nullptr, {330, 60}, false},
        {"free background", nullptr, {330, 60}, true},
        {"bottom band", nullptr, {176, 145}, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        const Qt::MouseButton button =
            std::string_view(r.name).starts_with("right") ? Qt::RightButton : Qt::LeftButton;
        QTest::mouseClick(r.target ? r.target : &form, button, {}, r.pos);
        EXPECT_EQ(form.isVisible(), !r.closes);
    }
}

TEST_F(AboutForm, EscapeDoesNotEndTheModalShowingAClickDoes) {
    qv::TAboutForm form;
    bool stillOpenAfterEscape = false;
    onNextModal([&](QWidget* box) {
        QTest::keyClick(box, Qt::Key_Escape);
        stillOpenAfterEscape = box->isVisible();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(330, 60));
    });
    form.exec();
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_FALSE(form.isVisible());
}

TEST(AboutEmblem, DrawnAtTheScreensPixelDensity) {
    for (qreal dpr : {1.0, 2.0}) {
        const QPixmap p = qv::AmpwiseEmblem(32, dpr);
        EXPECT_EQ(p.size(), QSize(qRound(32 * dpr), qRound(32 * dpr)));
        EXPECT_EQ(p.deviceIndependentSize(), QSizeF(32, 32));
        const QImage img = p.toImage();
        EXPECT_EQ(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255) << "emblem centre";
        EXPECT_EQ(qAlpha(img.pixel(0, img.height() - 1)), 0) << "corner left clear";
    }
}

} // namespace
