// The registry settings store over the per-user REGEDIT4 file, and the maker's key names.
#include "settings/QvRegistry.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvRegFile_p.h"
#include "settings/QvSysUtils.h"

#include <bit>
#include <cmath>
#include <mutex>
#include <set>

namespace qv {

const std::string RegistryRoot = "Software\\Brannoworks\\";
const std::string DefaultMakerWebAddress = "https://www.brannoworks.com/";
std::string MakerWebAddress = DefaultMakerWebAddress;

namespace {

constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

struct TDamageState {
    std::mutex Lock;
    std::string Pending;
    std::set<std::string> Told; // the same report is given once per process
    std::function<void(const std::string&)> Handler;
};

TDamageState& Damage() {
    static TDamageState state;
    return state;
}

// False when the same report was given before.
bool ReportDamage(const std::string& report) {
    if (report.empty())
        return false;
    std::function<void(const std::string&)> handler;
    {
        TDamageState& d = Damage();
        std::lock_guard guard(d.Lock);
        if (!d.Told.insert(report).second)
            return false;
        if (!d.Handler) {
            d.Pending = d.Pending.empty() ? report : d.Pending + "\n" + report;
            return true;
        }
        handler = d.Handler;
    }
    handler(report);
    return true;
}

std::string Format(const char* format, const std::string& name) {
    std::string f = format;
    std::size_t at = f.find("%s");
    return f.substr(0, at) + name + f.substr(at + 2);
}

[[noreturn]] void Fail(const char* format, const std::string& name) {
    throw ERegistryException(Format(format, name));
}

} // namespace

using TChange = std::function<void(reg::TRegDocument&, const std::string&)>;

struct TRegistryIniFile::TImpl {
    std::string File;
    std::string KeyFull; // with the root
    reg::TRegDocument Doc;

    // A change waiting for EndUpdate, with what its error would name.
    struct TPending {
        std::string Section, Key, Path;
        bool KeyExisted;
        TChange Change;
    };
    int Deferring = 0;
    std::vector<TPending> Pending;

    std::string SectionPath(const std::string& section) const {
        return reg::JoinKeyPath(KeyFull, section);
    }
    const reg::TRegValue* Find(const std::string& section, const std::string& key) const {
        return Doc.FindValue(SectionPath(section), key);
    }

    // Commits one change, or keeps it for EndUpdate. `change` must own what it uses.
    void Commit(const std::string& section, const std::string& key, TChange change) {
        std::string path = SectionPath(section);
        if (!reg::IsStorableName(path))
            Fail("Failed to create key %s", section);
        if (!reg::IsStorableName(key))
            Fail("Failed to set data for '%s'", key);
        TPending pending{section, key, path, Doc.FindKey(path) != nullptr, std::move(change)};
        if (Deferring > 0) {
            pending.Change(Doc, path); // reads see it before the commit
            Pending.push_back(std::move(pending));
            return;
        }
        std::vector<TPending> one;
        one.push_back(std::move(pending));
        CommitAll(one);
    }

    // One locked write for all the changes; the error names the first change's value, or its
    // subkey when that didn't exist yet.
    void CommitAll(const std::vector<TPending>& changes) {
        if (changes.empty())
            return;
        std::string damage, error;
        bool ok = reg::UpdateStoreFile(
            File,
            [&changes](reg::TRegDocument& d) {
                for (const TPending& p : changes)
                    p.Change(d, p.Path);
            },
            Doc, &damage, &error);
        // The store's report given again, which the user has seen: the failure follows from it.
        const bool toldBefore = !damage.empty() && !ReportDamage(damage);
        if (!ok) {
            const TPending& first = changes.front();
            const std::string message =
                first.KeyExisted ? Format("Failed to set data for '%s'", first.Key)
                                 : Format("Failed to create key %s",
                                          first.Section.empty() ? KeyFull : first.Section);
            if (toldBefore)
                throw ERegistryStoreNotUsed(message);
            throw ERegistryException(message);
        }
    }

    // What BeginUpdate collected: taken out first, so a failed commit is not tried again.
    void CommitPending() {
        std::vector<TPending> changes;
        changes.swap(Pending);
        CommitAll(changes);
    }
};

std::string UserRegistryPath() {
    return UserConfigFolder() + "user.reg";
}

std::string AppRegistryKey(const std::string& exePath) {
    std::string path = exePath.empty() ? ExecutablePath() : exePath;
    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return RegistryRoot + name;
}

TRegistryIniFile::TRegistryIniFile(const std::string& keyPath)
    : m_keyPath(keyPath), m_impl(new TImpl) {
    m_impl->File = UserRegistryPath();
    m_impl->KeyFull = reg::JoinKeyPath(kUserRoot, keyPath);
    std::string damage;
    reg::LoadStoreFile(m_impl->File, m_impl->Doc, &damage);
    ReportDamage(damage);
    // The key is created on opening even when only read, like the registry does; where the file
    // can't be written the store still answers reads with their defaults.
    if (!m_impl->Doc.FindKey(m_impl->KeyFull) && reg::IsStorableName(m_impl->KeyFull)) {
        std::string error;
        damage.clear();
        const std::string& full = m_impl->KeyFull;
        reg::UpdateStoreFile(
            m_impl->File, [&full](reg::TRegDocument& d) { d.AddKey(full); }, m_impl->Doc, &damage,
            &error);
        ReportDamage(damage);
    }
}

TRegistryIniFile::~TRegistryIniFile() {
    // An update left open by an exception still commits what it collected; there is nobody left
    // to tell of a failure.
    try {
        m_impl->CommitPending();
    } catch (const ERegistryException&) {
    }
    delete m_impl;
}

void TRegistryIniFile::BeginUpdate() {
    ++m_impl->Deferring;
}

void TRegistryIniFile::EndUpdate() {
    if (m_impl->Deferring > 0 && --m_impl->Deferring == 0)
        m_impl->CommitPending();
}

std::string TRegistryIniFile::ReadText(const std::string& section, const std::string& key,
                                       const std::string& def) {
    const reg::TRegValue* v = m_impl->Find(section, key);
    if (!v)
        return def;
    if (v->Data.empty())
        return "";
    if (v->Kind != reg::REG_SZ && v->Kind != reg::REG_EXPAND_SZ)
        Fail("Invalid data type for '%s'", key);
    return reg::DataText(v->Data);
}

void TRegistryIniFile::WriteText(const std::string& section, const std::string& key,
                                 const std::string& value) {
    m_impl->Commit(section, key, [key, value](reg::TRegDocument& d, const std::string& path) {
        d.SetValue(path, key, reg::REG_SZ, reg::TextData(value));
    });
}

std::int32_t TRegistryIniFile::ReadInt(const std::string& section, const std::string& key,
                                       std::int32_t def) {
    const reg::TRegValue* v = m_impl->Find(section, key);
    if (!v)
        return def;
    if (v->Kind == reg::REG_SZ) {
        std::int32_t result = 0;
        return TryStrToInt(reg::DataText(v->Data), result) ? result : def;
    }
    if (v->Data.size() > 4)
        Fail("Failed to get data for '%s'", key);
    if (v->Kind != reg::REG_DWORD)
        Fail("Invalid data type for '%s'", key);
    std::uint32_t x = 0;
    for (std::size_t i = 0; i < v->Data.size(); ++i)
        x |= static_cast<std::uint32_t>(v->Data[i]) << (8 * i);
    return static_cast<std::int32_t>(x);
}

void TRegistryIniFile::WriteInt(const std::string& section, const std::string& key,
                                std::int32_t value) {
    m_impl->Commit(section, key, [key, value](reg::TRegDocument& d, const std::string& path) {
        // Decided on the file as it is now, not as it was when the store was opened.
        const reg::TRegValue* old = d.FindValue(path, key);
        if (old && old->Kind == reg::REG_SZ)
            d.SetValue(path, key, reg::REG_SZ, reg::TextData(std::to_string(value)));
        else
            d.SetValue(path, key, reg::REG_DWORD,
                       reg::DWordData(static_cast<std::uint32_t>(value)));
    });
}

bool TRegistryIniFile::ReadFlag(const std::string& section, const std::string& key, bool def) {
    return ReadInt(section, key, def ? 1 : 0) != 0;
}

void TRegistryIniFile::WriteFlag(const std::string& section, const std::string& key, bool value) {
    WriteText(section, key, value ? "1" : "0");
}

double TRegistryIniFile::ReadReal(const std::string& section, const std::string& key, double def) {
    const reg::TRegValue* v = m_impl->Find(section, key);
    if (!v)
        return def;
    if (v->Data.size() > 8)
        Fail("Failed to get data for '%s'", key);
    if (v->Kind != reg::REG_BINARY || v->Data.size() != 8)
        Fail("Invalid data type for '%s'", key);
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(v->Data[i]) << (8 * i);
    double result = std::bit_cast<double>(bits);
    // A hand-edited file must not put an infinity or NaN on the screen.
    return std::isfinite(result) ? result : def;
}

void TRegistryIniFile::WriteReal(const std::string& section, const std::string& key, double value) {
    m_impl->Commit(section, key, [key, value](reg::TRegDocument& d, const std::string& path) {
        d.SetValue(path, key, reg::REG_BINARY, reg::DoubleData(value));
    });
}

bool TRegistryIniFile::SectionExists(const std::string& section) const {
    return m_impl->Doc.FindKey(m_impl->SectionPath(section)) != nullptr;
}

bool TRegistryIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return m_impl->Find(section, key) != nullptr;
}

void TRegistryIniFile::DeleteKey(const std::string& section, const std::string& key) {
    if (!ValueExists(section, key))
        return;
    m_impl->Commit(section, key, [key](reg::TRegDocument& d, const std::string& path) {
        d.DeleteValue(path, key);
    });
}

void TRegistryIniFile::EraseSection(const std::string& section) {
    if (!SectionExists(section))
        return;
    m_impl->Commit(section, "",
                   [](reg::TRegDocument& d, const std::string& path) { d.DeleteKey(path); });
}

std::string TakeRegistryDamageReport() {
    TDamageState& d = Damage();
    std::lock_guard guard(d.Lock);
    std::string report;
    report.swap(d.Pending);
    return report;
}

void SetRegistryDamageHandler(std::function<void(const std::string&)> handler) {
    TDamageState& d = Damage();
    std::lock_guard guard(d.Lock);
    d.Handler = std::move(handler);
}

void ReadMakerDetails() {
    // Start-up runs before any window can show an error, so an odd value falls back quietly.
    try {
        TRegistryIniFile store("Software\\");
        MakerWebAddress = store.ReadText("Brannoworks", "web", DefaultMakerWebAddress);
    } catch (const ERegistryException&) {
        MakerWebAddress = DefaultMakerWebAddress;
    }
}

} // namespace qv
