// Icons made on first use: nothing is made before the icon is drawn or asked about, it is made
// once whatever the copies, and it then answers as the icon made. The style defers a tool bar's
// extension pictures only.
#include "widgets/QvDeferredIcon.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <functional>

namespace qv {
namespace {

QImage Drawn(const QIcon& icon, qreal dpr = 1.0) {
    return icon.pixmap(QSize(16, 16), dpr).toImage().convertToFormat(QImage::Format_ARGB32);
}

QIcon Square(Qt::GlobalColor color) {
    QPixmap p(16, 16);
    p.fill(color);
    return QIcon(p);
}

TEST(DeferredIcon, MadeOnceOnFirstUseAndThenAnswersAsTheMadeIcon) {
    struct Row {
        const char* use;
        std::function<void(const QIcon&)> first;
    };
    const Row rows[] = {
        {"drawn", [](const QIcon& i) { (void)i.pixmap(16); }},
        {"drawn on a 2x screen", [](const QIcon& i) { (void)i.pixmap(QSize(16, 16), 2.0); }},
        {"sized", [](const QIcon& i) { (void)i.actualSize(QSize(16, 16)); }},
        {"tested for nothing", [](const QIcon& i) { (void)i.isNull(); }},
        {"asked for its sizes", [](const QIcon& i) { (void)i.availableSizes(); }},
    };
    for (const Row& r : rows) {
        int made = 0;
        const QIcon icon = DeferredIcon([&made] {
            ++made;
            return Square(Qt::red);
        });
        const QIcon copy = icon;
        EXPECT_EQ(made, 0) << r.use;
        r.first(copy);
        EXPECT_EQ(made, 1) << r.use;
        EXPECT_EQ(Drawn(icon), Drawn(Square(Qt::red))) << r.use;
        EXPECT_FALSE(icon.isNull()) << r.use;
        EXPECT_EQ(made, 1) << r.use;
    }
    // An icon made empty stays empty.
    EXPECT_TRUE(DeferredIcon([] { return QIcon(); }).isNull());
}

// Counts the pictures the base style is asked for.
class TCountingStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* o, const QWidget* w) const override {
        ++Asked;
        return QProxyStyle::standardIcon(sp, o, w);
    }
    mutable int Asked = 0;
};

TEST(DeferredIconStyle, OnlyTheToolBarExtensionWaitsToBeDrawn) {
    struct Row {
        QStyle::StandardPixmap picture;
        Qt::LayoutDirection direction;
        bool deferred;
    };
    const Row rows[] = {
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight, true},
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft, true},
        {QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight, true},
        {QStyle::SP_DialogOkButton, Qt::LeftToRight, false},
        {QStyle::SP_MessageBoxWarning, Qt::LeftToRight, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "picture " << r.picture << " direction " << r.direction);
        auto* counting = new TCountingStyle(QStyleFactory::create("Fusion"));
        TDeferredIconStyle style(counting);
        QStyleOption option;
        option.direction = r.direction;
        const QIcon icon = style.standardIcon(r.picture, &option);
        EXPECT_EQ(counting->Asked, r.deferred ? 0 : 1);
        // Drawn, it is the base style's own picture for that direction.
        const QImage own = Drawn(counting->baseStyle()->standardIcon(r.picture, &option));
        EXPECT_EQ(Drawn(icon), own);
        EXPECT_EQ(Drawn(icon, 2.0),
                  Drawn(counting->baseStyle()->standardIcon(r.picture, &option), 2.0));
        EXPECT_EQ(counting->Asked, 1);
    }
}

} // namespace
} // namespace qv
