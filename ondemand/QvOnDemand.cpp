// Finding, checking and loading the part of the program loaded on first use.
#include "ondemand/QvOnDemand.h"

#include "ondemand/QvPartFile.h"
#include "settings/QvApplicationPath.h"

#include <QJsonObject>
#include <QPluginLoader>

#include <stdexcept>

namespace qv {

namespace {

const char* const kLibrary = "libampwise_ondemand.so";

[[noreturn]] void Refuse(const std::string& file, const std::string& why) {
    throw std::runtime_error("Cannot load " + file + ": " + why);
}

} // namespace

TOnDemand& LoadPart(const std::string& file) {
    // A truncated file would fault inside the loader and a FIFO would block it.
    const std::string problem = PartFileProblem(file);
    if (!problem.empty())
        Refuse(file, problem);
    QPluginLoader loader(QString::fromStdString(file));
    // Every symbol bound now, so that a part missing one fails here and not at its first call.
    loader.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    // The plugin's metadata is read without running its code.
    const QString iid = loader.metaData().value(QStringLiteral("IID")).toString();
    if (iid != QLatin1String(AMPWISE_ONDEMAND_IID))
        Refuse(file, iid.isEmpty()
                         ? "it is not a part of this program"
                         : "it is " + iid.toStdString() + ", not " + AMPWISE_ONDEMAND_IID);
    QObject* instance = loader.instance();
    if (!instance)
        Refuse(file, loader.errorString().toStdString());
    auto* part = qobject_cast<TOnDemand*>(instance);
    if (!part)
        Refuse(file, "it is not a part of this program");
    return *part;
}

TOnDemand& OnDemand() {
    static TOnDemand* const part = [] {
        const std::string exe = ExecutablePath();
        return &LoadPart(exe.substr(0, exe.rfind('/') + 1) + kLibrary);
    }();
    return *part;
}

} // namespace qv
