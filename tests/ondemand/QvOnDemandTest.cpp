// The part loaded on first use, reached only through its interface as the program reaches it:
// loaded from beside the program, on the program's own data; a part of another version, a
// truncated one, a FIFO or none at all gives "Cannot load <file>: <reason>" and the program
// goes on.
#include "ondemand/QvOnDemand.h"

#include "core/QvAmpwise.h"
#include "schedulewindow/QvCircuitInputs.h"
#include "tests/testsupport/TempFolder.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <sys/stat.h>

namespace qv {
namespace {

class OnDemandTest : public test::UiTestFixture {};

// The message LoadPart raises for `file`, or "" when it loads.
std::string LoadMessage(const std::string& file) {
    try {
        LoadPart(file);
        return "";
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

// The text of `column` (by header) in the first row of the schedule model inside `window`.
QString FirstRow(QWidget* window, const QString& column) {
    for (auto* model : window->findChildren<QAbstractItemModel*>()) {
        if (QLatin1String(model->metaObject()->className()) != QLatin1String("qv::TScheduleModel"))
            continue;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == column)
                return model->index(0, c).data().toString();
    }
    return QStringLiteral("<no %1 column>").arg(column);
}

// Globals of the common library set here are what the part's windows size with: one copy.
TEST_F(OnDemandTest, PartSizesWithTheProgramsData) {
    StandardSizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50};
    Materials = {{"Testium", 56}};
    struct Case {
        double maxVoltDrop;
        const char* size; // 5.5 kW single phase over 400 m
    } cases[] = {{5.5, "35"}, {11, "16"}};
    for (const Case& c : cases) {
        MaxVoltDrop = c.maxVoltDrop;
        const TCircuitInputs circuit{"Testium", "Resistive", "Single", "5.5 kW", "400 m", {}};
        std::unique_ptr<QWidget> window(
            OnDemand().MakeScheduleWindow([&] { return circuit; }, [](const TCircuitInputs&) {}));
        auto* add = window->findChild<QAction*>(QStringLiteral("EditAddFromMain"));
        ASSERT_NE(add, nullptr);
        add->trigger();
        EXPECT_EQ(FirstRow(window.get(), QStringLiteral("Status")), "Solved") << c.maxVoltDrop;
        EXPECT_EQ(FirstRow(window.get(), QStringLiteral("Size (mm²)")), c.size) << c.maxVoltDrop;
    }
}

TEST_F(OnDemandTest, PartThatCannotBeLoadedIsNamedAndTheProgramGoesOn) {
    test::TempFolder dir;
    const std::string whole = test::ReadFile(AMPWISE_ONDEMAND_FILE);
    const std::string truncated = dir / "truncated.so";
    test::WriteFile(truncated, whole.substr(0, whole.size() / 3));
    const std::string fifo = dir / "fifo.so";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string file;
        std::string reason; // what the reason holds
    } cases[] = {
        {AMPWISE_OTHER_ONDEMAND_FILE, "com.brannoworks.Ampwise.OnDemand/0.9.0.0"},
        {truncated, "cut short"},
        {fifo, "not a regular file"},
        {dir / "missing.so", "No such file or directory"},
    };
    for (const Case& c : cases) {
        const std::string message = LoadMessage(c.file);
        EXPECT_EQ(message.rfind("Cannot load " + c.file + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
    // The part beside the program still loads, and the same one every time.
    TOnDemand* first = &OnDemand();
    EXPECT_EQ(&OnDemand(), first);
    EXPECT_EQ(&LoadPart(AMPWISE_ONDEMAND_FILE), first);
}

} // namespace
} // namespace qv
