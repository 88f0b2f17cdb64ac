// Speed of the INI editor: the line tokenizer alone, loading plus colouring a large file in the
// real editor, and making the whole window, which the program does at every start (offscreen).
#include "inieditor/QvIniEdit.h"
#include "inieditor/QvIniLexer_p.h"
#include "inieditor/QvIniPad.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A settings-like text: sections of keys with numbers, quoted strings and comments.
std::string SampleIni(std::size_t bytes) {
    std::string out;
    for (int i = 0; out.size() < bytes; ++i) {
        out += "[Section" + std::to_string(i) + "]\n";
        out += "; comment line number " + std::to_string(i) + "\n";
        for (int k = 0; k < 8; ++k)
            out += "Key" + std::to_string(k) + "=\"quoted value\" 12.5 plain words\n";
    }
    return out;
}

void BM_StyleIniLines(benchmark::State& state) {
    const std::string text = SampleIni(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> styles;
    for (auto _ : state) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t eol = text.find('\n', pos);
            qv::StyleIniLine(std::string_view(text).substr(pos, eol - pos), styles);
            benchmark::DoNotOptimize(styles.data());
            pos = eol + 1;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_StyleIniLines)->Arg(64 << 10)->Arg(1 << 20);

void BM_LoadAndColourise(benchmark::State& state) {
    const std::string text = SampleIni(static_cast<std::size_t>(state.range(0)));
    const QByteArray data(text.data(), static_cast<qsizetype>(text.size()));
    qv::TIniEdit edit;
    for (auto _ : state) {
        edit.SetBytes(data);
        edit.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * data.size());
}
BENCHMARK(BM_LoadAndColourise)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// The window as the program makes it at start-up: hidden, no file named. Its private settings
// folder keeps the stored placement out of the user's own.
void BM_CreateIniPadForm(benchmark::State& state) {
    for (auto _ : state) {
        qv::TIniPadForm form;
        benchmark::DoNotOptimize(&form);
    }
}
BENCHMARK(BM_CreateIniPadForm)->Unit(benchmark::kMillisecond);

} // namespace
