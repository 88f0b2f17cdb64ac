// Typed access to INI files: TCustomIniFile defines every operation and builds the typed ones on
// two text primitives; TIniFile supplies the primitives over the INI text engine (QvIniText_p.h).
// A store object holds only its path: every operation goes to the file when it is called.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

// Whole days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

// Raised when a write fails; the message is "Unable to write to <path>".
class EIniFileException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TCustomIniFile {
  public:
    explicit TCustomIniFile(std::string path);
    virtual ~TCustomIniFile();
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FilePath() const { return m_filePath; }

    virtual std::string ReadText(const std::string& section, const std::string& key,
                                 const std::string& def) = 0;
    virtual void WriteText(const std::string& section, const std::string& key,
                           const std::string& value) = 0;

    // Decimal, or hexadecimal after "$", "x", "X", "0x", "0X"; anything else gives def.
    virtual std::int32_t ReadInt(const std::string& section, const std::string& key,
                                 std::int32_t def);
    virtual void WriteInt(const std::string& section, const std::string& key, std::int32_t value);
    // Read as an integer, non-zero is yes; written as "1" or "0".
    virtual bool ReadFlag(const std::string& section, const std::string& key, bool def);
    virtual void WriteFlag(const std::string& section, const std::string& key, bool value);
    // Decodes hexadecimal digit pairs into stream at its position, which is put back; returns
    // the number of bytes placed.
    virtual std::int64_t ReadBytes(const std::string& section, const std::string& key,
                                   std::iostream& stream);
    // Dates "yyyy-mm-dd", times "hh:nn:ss", date-times both with a blank between (the time left
    // out at midnight); reading also takes one-digit fields and a time with milliseconds.
    virtual TDateTime ReadDateValue(const std::string& section, const std::string& key,
                                    TDateTime def);
    virtual TDateTime ReadDateTimeValue(const std::string& section, const std::string& key,
                                        TDateTime def);
    virtual double ReadReal(const std::string& section, const std::string& key, double def);
    virtual TDateTime ReadTimeValue(const std::string& section, const std::string& key,
                                    TDateTime def);
    // Writes the bytes from the stream's position to its end as upper-case hexadecimal pairs.
    virtual void WriteBytes(const std::string& section, const std::string& key,
                            std::istream& stream);
    virtual void WriteDateValue(const std::string& section, const std::string& key,
                                TDateTime value);
    virtual void WriteDateTimeValue(const std::string& section, const std::string& key,
                                    TDateTime value);
    virtual void WriteReal(const std::string& section, const std::string& key, double value);
    virtual void WriteTimeValue(const std::string& section, const std::string& key,
                                TDateTime value);

    virtual void ReadKeyNames(const std::string& section, std::vector<std::string>& list) = 0;
    virtual void ReadSectionNames(std::vector<std::string>& list) = 0;
    // One "key=value" line per key of the section.
    virtual void ReadKeyValues(const std::string& section, std::vector<std::string>& list) = 0;
    virtual void RemoveSection(const std::string& section) = 0;
    virtual void RemoveKey(const std::string& section, const std::string& key) = 0;
    virtual void Flush() = 0;

  private:
    std::string m_filePath;
};

class TIniFile : public TCustomIniFile {
  public:
    // Longest value a read gives back, and the byte budget of a name list (each name counts
    // its length plus one, and the list one more).
    static constexpr std::size_t MaxValueLength = 2047;
    static constexpr std::size_t NameListBytes = 16384;

    explicit TIniFile(std::string path);
    ~TIniFile() override;

    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& def) override;
    void WriteText(const std::string& section, const std::string& key,
                   const std::string& value) override;
    void ReadKeyNames(const std::string& section, std::vector<std::string>& list) override;
    void ReadSectionNames(std::vector<std::string>& list) override;
    void ReadKeyValues(const std::string& section, std::vector<std::string>& list) override;
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    // Every write is on disk when it returns, so there is nothing left to flush.
    void Flush() override;
};

// The date and time text forms of the store, usable on their own.
std::string DateToIniText(TDateTime value);
std::string TimeToIniText(TDateTime value);
std::string DateTimeToIniText(TDateTime value);
bool TryIniTextToDate(const std::string& text, TDateTime& value);
bool TryIniTextToTime(const std::string& text, TDateTime& value);
bool TryIniTextToDateTime(const std::string& text, TDateTime& value);

} // namespace qv
