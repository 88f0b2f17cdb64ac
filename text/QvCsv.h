// CSV text (RFC 4180): a streaming record reader that holds one buffer of input, whatever the
// length of its input, and the field writer. Fields are bytes: nothing is decoded or re-encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Input that cannot be read as CSV (an unterminated quoted field, an over-long record) or not read
// at all; the message names the line.
class ECsvError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads records: fields split at commas (or another separator), records at CR LF, LF or a lone
// CR. A field in double quotes may hold separators, line breaks and doubled quotes. Leniently, a
// quote inside an unquoted field is an ordinary character, and text after a closing quote joins
// the field. A UTF-8 byte-order mark at the very start is skipped; UTF-16 text with one (what
// spreadsheets save as "Unicode text") is read as UTF-8.
class TCsvReader {
  public:
    // Fills buf with up to cap bytes and returns how many; 0 at the end of the input.
    using TSource = std::function<std::size_t(char* buf, std::size_t cap)>;

    static constexpr std::size_t kDefaultMaxRecordBytes = 64u << 20;

    explicit TCsvReader(TSource source, std::size_t maxRecordBytes = kDefaultMaxRecordBytes);
    // A reader of text that continues other CSV text from a record's start: its first record is
    // on line firstLine, and no byte-order mark is looked for.
    static TCsvReader Continuing(TSource source, std::size_t maxRecordBytes, std::size_t firstLine);
    // A reader of whole records held in memory, read where they are, so that every record's
    // fields stay valid as long as the text does. No byte-order mark is looked for and the text
    // is followed by at least kReadPast readable bytes.
    static constexpr std::size_t kReadPast = 15;
    static TCsvReader InPlace(std::string_view text);

    // Splits fields at `separator` rather than at commas.
    void SetSeparator(char separator) { m_sep = separator; }
    char Separator() const { return m_sep; }
    // Sets the separator that splits the first line that is not blank into the most fields, of
    // ",", ";" and tab (a comma on a tie), and returns it. Called before the first Next.
    char DetectSeparator();
    // Whether the input started with a byte-order mark (UTF-8 or UTF-16); known once a record
    // has been read or the separator detected.
    bool HadByteOrderMark() const { return m_bom; }

    // The next record's fields, which stay valid until the next call; the reader copies nothing
    // but quoted fields. False at the end of the input. An empty line is one empty field.
    bool Next(std::vector<std::string_view>& fields);
    // The line on which the record last read starts, from 1, and the line after it.
    std::size_t RecordLine() const { return m_recordLine; }
    std::size_t NextLine() const { return m_line; }
    std::size_t MaxRecordBytes() const { return m_maxRecordBytes; }
    // The input after the records read, as bytes: first what the reader holds, then its source.
    // Once this is called, Next is not called again.
    std::size_t ReadRaw(char* buf, std::size_t cap);
    // The record's text as read, without its line break, when it holds no double quote: then
    // writing its fields again gives exactly this text. Empty otherwise.
    std::string_view PlainRecordText() const { return m_plain; }

  private:
    enum class TScan : std::uint8_t { Record, NeedMore, End, Quoted };
    struct TField {
        bool Unquoted; // in m_unquoted rather than the buffer
        std::size_t Offset;
        std::size_t Size;
    };
    TScan Scan(std::vector<std::string_view>& fields);
    TScan ScanUnquoted(std::vector<std::string_view>& fields);
    void ReadMore();
    // The error for a record longer than the limit, starting on `line`.
    ECsvError RecordTooLong(std::size_t line) const;
    void Start();                 // looks for a byte-order mark once
    std::size_t Capacity() const; // of the buffer, less what is kept past its end
    const char* Text() const;     // what is read: the buffer or the text in place

    TSource m_source;
    std::size_t m_maxRecordBytes;
    std::vector<char> m_buf;
    const char* m_text = nullptr; // the text read in place, instead of the buffer
    std::size_t m_pos = 0;        // start of the unread text
    std::size_t m_end = 0;        // end of the text read
    bool m_eof = false;
    bool m_started = false;
    bool m_bom = false;
    char m_sep = ',';
    std::size_t m_line = 1;
    std::size_t m_recordLine = 0;
    std::vector<TField> m_fields;
    std::string m_unquoted; // quoted fields without their quotes
    std::string_view m_plain;
};

// Reads a file descriptor (raises ECsvError on a read error).
TCsvReader::TSource FdSource(int fd);
// Reads text that outlives the reader.
TCsvReader::TSource TextSource(std::string_view text);

// Appends one field, quoted when it holds the separator, a double quote or a line break.
void AppendCsvField(std::string& out, std::string_view field, char separator = ',');
// Appends the field between double quotes, each double quote in it doubled.
void AppendQuoted(std::string& out, std::string_view field);

} // namespace qv
