// A units label draws as text but acts as a button: a click opens the unit list. A screen reader
// would otherwise announce it as static text ("kW") that does nothing.
#include "units/QvUnitsLabelAccessible_p.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "units/QvFmtEdit.h"

namespace qv {

namespace {

class TUnitsLabelAccessible : public QAccessibleWidget {
  public:
    explicit TUnitsLabelAccessible(TFmtEditLabel* label)
        : QAccessibleWidget(label, QAccessible::ButtonMenu) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<TFmtEditLabel*>(widget());
        switch (t) {
        case QAccessible::Name: {
            if (!label->accessibleName().isEmpty())
                return label->accessibleName();
            // "Power unit", from the field it serves; "Unit" when the field has no caption.
            const QString caption = label->LinkedEdits().isEmpty()
                                        ? QString()
                                        : label->LinkedEdits().first()->accessibleCaption();
            return caption.isEmpty() ? QStringLiteral("Unit") : caption + QStringLiteral(" unit");
        }
        case QAccessible::Value:
            return label->text();
        case QAccessible::Description:
            return label->accessibleDescription().isEmpty()
                       ? QStringLiteral("Opens the list of units")
                       : label->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override { return {pressAction(), showMenuAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction() || name == showMenuAction())
            static_cast<TFmtEditLabel*>(widget())->Click();
    }
};

QAccessibleInterface* UnitsLabelFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("qv::TFmtEditLabel") && object && object->isWidgetType())
        return new TUnitsLabelAccessible(static_cast<TFmtEditLabel*>(object));
    return nullptr;
}

} // namespace

void InstallUnitsLabelAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(UnitsLabelFactory);
        return true;
    }();
    (void)installed;
}

} // namespace qv
