// Word wrap of long lines: a text shape cuts its lines to the box width in its font, against
// QTextLayout laying out the same text at the same width (breaking anywhere, as the shape does).
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <QTextLayout>

namespace {

QString LongLine(int Chars) {
  const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog; ");
  QString s;
  while (s.size() < Chars) s += words;
  s.truncate(Chars);
  return s;
}

void WrapSurface(benchmark::State& state, int Width) {
  const QString line = LongLine(static_cast<int>(state.range(0)));
  const cad::TFont font;
  const QFontMetrics& fm = cad::MetricsOf(font);
  qsizetype pieces = 0;
  for (auto _ : state) {
    const QStringList wrapped = cad::TMyText::WrapLines({line}, Width, fm);
    pieces = wrapped.size();
    benchmark::DoNotOptimize(pieces);
  }
  state.counters["lines"] = static_cast<double>(pieces);
}

void WrapLayout(benchmark::State& state, int Width) {
  const QString line = LongLine(static_cast<int>(state.range(0)));
  const cad::TFont font;
  const QFont qfont = font.ToQFont();
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAnywhere);
  int lines = 0;
  for (auto _ : state) {
    QTextLayout layout(line, qfont);
    layout.setTextOption(option);
    layout.beginLayout();
    lines = 0;
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
      l.setLineWidth(Width);
      ++lines;
    }
    layout.endLayout();
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = lines;
}

// A box 12 pixels wide takes a character or two per line; one 300 pixels wide about fifty.
void BM_WrapNarrowBox_Surface(benchmark::State& state) { WrapSurface(state, 12); }
void BM_WrapNarrowBox_SceneTextLayout(benchmark::State& state) { WrapLayout(state, 12); }
void BM_WrapWideBox_Surface(benchmark::State& state) { WrapSurface(state, 300); }
void BM_WrapWideBox_SceneTextLayout(benchmark::State& state) { WrapLayout(state, 300); }

BENCHMARK(BM_WrapNarrowBox_Surface)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapNarrowBox_SceneTextLayout)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapWideBox_Surface)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapWideBox_SceneTextLayout)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
