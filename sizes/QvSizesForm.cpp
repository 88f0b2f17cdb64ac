// The Cable Sizes window: the table model, the chart, the page for PDF and print, the commands
// and the kept placement.
#include "sizes/QvSizesForm.h"

#include "settings/QvFormPlacement.h"
#include "settings/QvRegistry.h"
#include "support/QvMessageBox.h"
#include "support/QvPrinters.h"
#include "support/QvTextToolBar.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QScatterSeries>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace qv {

namespace {

const char* const kSection = "SizesForm";

// Fixed colours, not the desktop theme's, so a page prints as the window shows it.
const QColor kText(0x21, 0x21, 0x21);
const QColor kGreyText(0x9e, 0x9e, 0x9e);
const QColor kChosenRow(0xff, 0xe0, 0x82);
const QColor kHeaderRow(0xee, 0xee, 0xee);
const QColor kRule(0xd0, 0xd0, 0xd0);
const QColor kNote(0xb2, 0x6a, 0x00);
const QColor kCapacityLine(0x1e, 0x88, 0xe5);
const QColor kDropLine(0xe5, 0x39, 0x35);
const QColor kCurrentLine(0x37, 0x47, 0x4f);
const QColor kChosenMark(0x2e, 0x7d, 0x32);

// Column widths a stored value must lie within to be taken.
constexpr int kMinColumn = 16;
constexpr int kMaxColumn = 2000;
// Point markers help reading a short list; on a long one they would hide the lines.
constexpr std::size_t kMaxMarkedPoints = 60;
// Both limits are powers of the size, straight lines on log-log axes: a long list is drawn
// through every so many of its points (and its ends), which looks the same and maps faster.
constexpr qsizetype kMaxDrawnPoints = 200;

QList<QPointF> Thinned(const QList<QPointF>& points) {
    if (points.size() <= kMaxDrawnPoints)
        return points;
    QList<QPointF> out;
    out.reserve(kMaxDrawnPoints + 1);
    const double step = static_cast<double>(points.size() - 1) / (kMaxDrawnPoints - 1);
    for (qsizetype i = 0; i < kMaxDrawnPoints; ++i)
        out.append(points[static_cast<qsizetype>(std::lround(static_cast<double>(i) * step))]);
    return out;
}

// The power of ten at or below (`up` false) or at or above a positive value.
double Decade(double v, bool up) {
    const double e = std::log10(v);
    return std::pow(10.0, up ? std::ceil(e) : std::floor(e));
}

} // namespace

class TSizesModel : public QAbstractTableModel {
  public:
    TSizesModel(const TSizesView& view, QObject* parent)
        : QAbstractTableModel(parent), m_view(view) {}

    void Reset() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_view.Rows.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : SizesColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const auto row = static_cast<std::size_t>(index.row());
        if (!index.isValid() || row >= m_view.Rows.size())
            return {};
        const TSizeRow& r = m_view.Rows[row];
        const bool chosen = index.row() == m_view.Chosen;
        switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(SizesCell(m_view, row, index.column()));
        case Qt::TextAlignmentRole:
            return index.column() == scGoverns ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                               : int(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return chosen ? QVariant(kChosenRow) : QVariant();
        case Qt::ForegroundRole:
            return r.Fits ? kText : kGreyText;
        case Qt::FontRole:
            return chosen ? QVariant(ChosenFont) : QVariant();
        case Qt::ToolTipRole:
            return r.Fault.empty() ? QVariant() : QVariant(QString::fromStdString(r.Fault));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        // The unit on a line of its own keeps the columns narrow.
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QString::fromStdString(SizesHeader(m_view, section))
                .replace(QStringLiteral(" ("), "\n(");
        return {};
    }

    // The table's own font in bold.
    QFont ChosenFont;

  private:
    const TSizesView& m_view;
};

// The chart's series and axes, on a chart it does not own: the window's, or one made for a page.
class TSizesChart {
  public:
    explicit TSizesChart(QChart* chart) : m_chart(chart) {
        chart->setBackgroundRoundness(0);
        chart->setDropShadowEnabled(false);
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->legend()->setAlignment(Qt::AlignBottom);
        QFont small = chart->legend()->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        chart->legend()->setFont(small);
        chart->setMargins(QMargins(4, 4, 4, 4));

        Capacity = Line(kCapacityLine, Qt::SolidLine, QStringLiteral("Carrying capacity"));
        Drop = Line(kDropLine, Qt::SolidLine, QStringLiteral("Drop limit"));
        Current = Line(kCurrentLine, Qt::DashLine, QStringLiteral("Line current"));
        Chosen = new QScatterSeries(chart);
        Chosen->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        Chosen->setMarkerSize(11);
        Chosen->setColor(kChosenMark);
        Chosen->setBorderColor(kChosenMark.darker(130));
        Chosen->setName(QStringLiteral("Chosen size"));
        chart->addSeries(Chosen);

        X = Axis();
        Y = Axis();
        Y->setTitleText(QStringLiteral("Current (A)"));
        chart->addAxis(X, Qt::AlignBottom);
        chart->addAxis(Y, Qt::AlignLeft);
        for (QXYSeries* s : Series()) {
            s->attachAxis(X);
            s->attachAxis(Y);
        }
    }

    QList<QXYSeries*> Series() const { return {Capacity, Drop, Current, Chosen}; }

    void Update(const TSizesView& view) {
        QList<QPointF> capacity, drop;
        double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
        const auto take = [](double v, double& lo, double& hi) {
            lo = lo == 0 ? v : std::min(lo, v);
            hi = std::max(hi, v);
        };
        for (const TSizeRow& r : view.Rows) {
            const double x = ShownArea(view, r.Area);
            // A logarithmic axis has no place for 0 or less.
            if (!r.Fault.empty() || !(x > 0))
                continue;
            if (r.Capacity > 0) {
                capacity.append(QPointF(x, r.Capacity));
                take(r.Capacity, yLo, yHi);
            }
            if (r.DropLimit > 0) {
                drop.append(QPointF(x, r.DropLimit));
                take(r.DropLimit, yLo, yHi);
            }
            if (r.Capacity > 0 || r.DropLimit > 0)
                take(x, xLo, xHi);
        }
        const auto byArea = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
        std::sort(capacity.begin(), capacity.end(), byArea);
        std::sort(drop.begin(), drop.end(), byArea);

        const TSizesCircuit& c = view.Circuit;
        QList<QPointF> current, chosen;
        if (c.Current > 0 && xHi > 0) {
            current = {QPointF(xLo, c.Current), QPointF(xHi, c.Current)};
            take(c.Current, yLo, yHi);
        }
        QString chosenText = QStringLiteral("no size fits");
        if (view.Chosen >= 0) {
            const TSizeRow& r = view.Rows[static_cast<std::size_t>(view.Chosen)];
            chosenText = QString::fromStdString(
                             SizesCell(view, static_cast<std::size_t>(view.Chosen), scSize)) +
                         " " + QString::fromStdString(AreaUnitLabel(view)) + " chosen";
            if (r.Permitted > 0)
                chosen = {QPointF(ShownArea(view, r.Area), r.Permitted)};
        }

        Capacity->replace(Thinned(capacity));
        Drop->replace(Thinned(drop));
        Current->replace(current);
        Chosen->replace(chosen);
        const bool marked = capacity.size() <= static_cast<qsizetype>(kMaxMarkedPoints);
        Capacity->setPointsVisible(marked);
        Drop->setPointsVisible(marked);

        // The legend stays short; what the curves are drawn for goes above them.
        if (view.Rows.empty()) {
            m_chart->setTitle(QString());
        } else {
            const auto input = [&](const char* caption) {
                for (const auto& [name, value] : SizesInputs(view))
                    if (name == caption)
                        return QString::fromStdString(value);
                return QString();
            };
            m_chart->setTitle(QStringLiteral("%1 over %2 within %3: %4")
                                  .arg(input("Line Current"), input("Cable Length"),
                                       input("MaxVoltDrop"), chosenText));
        }
        X->setTitleText(QString::fromStdString(SizesHeader(view, scSize)));
        // Whole decades, so that each axis has labelled ticks however narrow its range.
        if (xHi > 0)
            X->setRange(Decade(xLo, false), Decade(xHi, true));
        if (yHi > 0)
            Y->setRange(Decade(yLo, false), Decade(yHi, true));
    }

    QLineSeries* Capacity = nullptr;
    QLineSeries* Drop = nullptr;
    QLineSeries* Current = nullptr;
    QScatterSeries* Chosen = nullptr;
    QLogValueAxis* X = nullptr;
    QLogValueAxis* Y = nullptr;

  private:
    QLineSeries* Line(const QColor& color, Qt::PenStyle style, const QString& name) {
        auto* s = new QLineSeries(m_chart);
        s->setName(name);
        // Not cosmetic: on a page the lines keep their weight at the printer's resolution.
        s->setPen(QPen(color, 2, style));
        s->setColor(color);
        m_chart->addSeries(s);
        return s;
    }
    QLogValueAxis* Axis() {
        auto* a = new QLogValueAxis(m_chart);
        a->setBase(10);
        a->setLabelFormat(QStringLiteral("%g"));
        a->setMinorTickCount(-1);
        a->setRange(1, 10);
        return a;
    }

    QChart* m_chart;
};

std::function<QString(QWidget*, const QString&, const QString&, const QString&)>
    TSizesForm::AskSaveFileName = [](QWidget* parent, const QString& caption,
                                     const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    };

TSizesForm::TSizesForm(const std::vector<double>& sizes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(sizes) {
    setObjectName(QStringLiteral("SizesForm"));
    setWindowTitle(QStringLiteral("Cable Sizes"));
    BuildControls();
    // Beside the main window, on its screen, until a placement of its own is kept. The frame is
    // not there yet: room is left for one.
    const QSize frame(16, 48);
    QSize size(1180, 620);
    QPoint at = parent ? parent->frameGeometry().topRight() + QPoint(8, 0) : QPoint();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        size = size.boundedTo(room.size() - frame);
        at.setX(std::clamp(at.x(), room.left(), room.right() + 1 - size.width() - frame.width()));
        at.setY(std::clamp(at.y(), room.top(), room.bottom() + 1 - size.height() - frame.height()));
    }
    resize(size);
    move(at);
    RestorePlacement();
    m_saveFolder = QDir::homePath();
    Refresh();
}

TSizesForm::~TSizesForm() = default;

void TSizesForm::BuildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    ToolBar1 = TextToolBar(this);
    const auto button = [this](const char* name, const char* caption, const char* hint,
                               auto handler) {
        return AddTextButton(ToolBar1, name, caption, hint, this, handler);
    };
    ButtonCopy = button("ButtonCopy", "&Copy", "Copy the table as tab-separated text",
                        &TSizesForm::ButtonCopyClick);
    ButtonCsv = button("ButtonCsv", "Save as CS&V...", "Save the table as a CSV file",
                       &TSizesForm::ButtonCsvClick);
    ButtonPdf =
        button("ButtonPdf", "Save as P&DF...", "Save verdict, table and chart on one PDF page",
               &TSizesForm::ButtonPdfClick);
    ButtonPrint = button("ButtonPrint", "&Print", "Print verdict, table and chart on one page",
                         &TSizesForm::ButtonPrintClick);
    ButtonClose = button("ButtonClose", "C&lose", "", &QWidget::close);
    outer->addWidget(ToolBar1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 8);
    body->setSpacing(6);
    VerdictLabel = new QLabel(this);
    VerdictLabel->setObjectName(QStringLiteral("VerdictLabel"));
    VerdictLabel->setWordWrap(true);
    VerdictLabel->setTextFormat(Qt::PlainText);
    VerdictLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont verdictFont = VerdictLabel->font();
    verdictFont.setPointSizeF(verdictFont.pointSizeF() * 1.1);
    VerdictLabel->setFont(verdictFont);
    body->addWidget(VerdictLabel);

    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
    NoteLabel->setText(
        QStringLiteral("The inputs have changed since this calculation: calculate again."));
    QPalette notePalette = NoteLabel->palette();
    notePalette.setColor(QPalette::WindowText, kNote);
    NoteLabel->setPalette(notePalette);
    NoteLabel->setVisible(false);
    body->addWidget(NoteLabel);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->setChildrenCollapsible(false);
    m_model = new TSizesModel(m_view, this);
    SizesGrid = new QTableView(split);
    SizesGrid->setObjectName(QStringLiteral("SizesGrid"));
    SizesGrid->setModel(m_model);
    SizesGrid->setSelectionMode(QAbstractItemView::NoSelection);
    SizesGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SizesGrid->setWordWrap(false);
    SizesGrid->verticalHeader()->setVisible(false);
    SizesGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SizesGrid->verticalHeader()->setDefaultSectionSize(SizesGrid->fontMetrics().height() + 6);
    SizesGrid->horizontalHeader()->setHighlightSections(false);
    // The rows' colours are fixed (a page shows the same), so their ground is too: a dark desktop
    // theme would leave dark text on dark.
    QPalette gridPalette = SizesGrid->palette();
    gridPalette.setColor(QPalette::Base, Qt::white);
    gridPalette.setColor(QPalette::Text, kText);
    SizesGrid->setPalette(gridPalette);
    // Each column as wide as its heading's longer line or a six-character figure in bold (the
    // chosen row's), whichever is wider.
    m_model->ChosenFont = SizesGrid->font();
    m_model->ChosenFont.setBold(true);
    const QFontMetrics header(SizesGrid->horizontalHeader()->font()), figure(m_model->ChosenFont);
    for (int c = 0; c < SizesColumnCount; ++c) {
        int width = figure.horizontalAdvance(c == scGoverns ? QStringLiteral("carrying capacity")
                                                            : QStringLiteral("0000.00"));
        const QString heading = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        for (const QString& part : heading.split('\n'))
            width = std::max(width, header.horizontalAdvance(part));
        SizesGrid->setColumnWidth(c, width + 18);
    }

    auto* chart = new QChart;
    m_chart = std::make_unique<TSizesChart>(chart);
    ChartView = new QChartView(chart, split);
    ChartView->setObjectName(QStringLiteral("ChartView"));
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setMinimumSize(320, 240);
    for (QXYSeries* s : m_chart->Series())
        connect(s, &QXYSeries::hovered, this,
                [this, s](const QPointF& point, bool state) { ShowPoint(s, point, state); });
    ChartView->viewport()->installEventFilter(this);
    split->addWidget(SizesGrid);
    split->addWidget(ChartView);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    int tableWidth = 4;
    for (int c = 0; c < SizesColumnCount; ++c)
        tableWidth += SizesGrid->columnWidth(c);
    split->setSizes(QList<int>{tableWidth + SizesGrid->verticalScrollBar()->sizeHint().width() +
                                   2 * SizesGrid->frameWidth(),
                               520});
    body->addWidget(split, 1);
    outer->addLayout(body, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusPanel = new QLabel(StatusBar1);
    StatusBar1->addWidget(m_statusPanel, 1);
    outer->addWidget(StatusBar1);
    SetStatus(QStringLiteral("Ready"));
}

void TSizesForm::RestorePlacement() {
    TRegistryIniFile reg(AppRegistryKey());
    RestoreDesignedFormPlacement(this, reg, false, true);
    // Every width is read before one is applied, so a value of the wrong kind keeps them all.
    std::vector<int> widths;
    try {
        for (int c = 0; c < SizesColumnCount; ++c)
            widths.push_back(
                reg.ReadInt(kSection, "ColWidth" + std::to_string(c), SizesGrid->columnWidth(c)));
    } catch (const ERegistryException&) {
        return;
    }
    for (int c = 0; c < SizesColumnCount; ++c)
        if (widths[c] >= kMinColumn && widths[c] <= kMaxColumn)
            SizesGrid->setColumnWidth(c, widths[c]);
}

void TSizesForm::SavePlacement() {
    // One commit for the whole window: each commit flushes the file to disk.
    TRegistryIniFile reg(AppRegistryKey());
    reg.BeginUpdate();
    SaveFormPlacement(this, reg);
    for (int c = 0; c < SizesColumnCount; ++c)
        reg.WriteInt(kSection, "ColWidth" + std::to_string(c), SizesGrid->columnWidth(c));
    reg.EndUpdate();
}

void TSizesForm::ShowCalculation(const TSizesCircuit& circuit, const TSizesUnits& units) {
    m_circuit = circuit;
    m_units = units;
    m_inputsChanged = false;
    // A hidden window is brought up to date when it is shown again.
    if (isVisible())
        Refresh();
    else
        m_stale = true;
}

void TSizesForm::SetInputsChanged(bool changed) {
    m_inputsChanged = changed;
    NoteLabel->setVisible(changed && m_circuit.has_value());
}

void TSizesForm::Refresh() {
    m_stale = false;
    m_view = TSizesView{};
    m_view.Units = m_units;
    m_hasView = false;
    if (!m_circuit) {
        m_verdict = QStringLiteral("No calculation yet.");
    } else {
        try {
            m_view = MakeSizesView(m_table, *m_circuit, m_units);
            m_hasView = true;
            m_verdict = QString::fromStdString(SizesVerdict(m_view));
        } catch (const std::exception& e) {
            m_view = TSizesView{};
            m_view.Units = m_units;
            m_verdict = QStringLiteral("The sizes cannot be worked out: ") + e.what();
        }
    }
    m_model->Reset();
    m_chart->Update(m_view);
    VerdictLabel->setText(m_verdict);
    NoteLabel->setVisible(m_inputsChanged && m_circuit.has_value());
    for (QToolButton* b : {ButtonCopy, ButtonCsv, ButtonPdf, ButtonPrint})
        b->setEnabled(m_hasView);
    m_hoverText.clear();
    m_hoverSeries = nullptr;
}

QString TSizesForm::VerdictText() const {
    return m_verdict;
}

QString TSizesForm::NoteText() const {
    return NoteLabel->isVisibleTo(this) ? NoteLabel->text() : QString();
}

QString TSizesForm::StatusText() const {
    return m_statusPanel->text();
}

QChart* TSizesForm::Chart() const {
    return ChartView->chart();
}

void TSizesForm::SetStatus(const QString& text) {
    m_statusPanel->setText(text);
}

void TSizesForm::ShowPoint(QXYSeries* series, const QPointF& point, bool entered) {
    // Leaving one series may come after entering the next, where they cross.
    if (!entered && series != m_hoverSeries)
        return;
    if (!entered || !m_hasView) {
        m_hoverText.clear();
        m_hoverSeries = nullptr;
        QToolTip::hideText();
        return;
    }
    m_hoverSeries = series;
    // The line current is one value; every other point is a size, the nearest one on the axis.
    if (series == m_chart->Current) {
        m_hoverText = QStringLiteral("Line current %1 A")
                          .arg(QString::fromStdString(SignificantText(m_view.Circuit.Current, 3)));
    } else {
        std::ptrdiff_t nearest = -1;
        double best = 0;
        for (std::size_t i = 0; i < m_view.Rows.size(); ++i) {
            const double x = ShownArea(m_view, m_view.Rows[i].Area);
            if (!(x > 0) || !(point.x() > 0) || !m_view.Rows[i].Fault.empty())
                continue;
            const double d = std::fabs(std::log(x / point.x()));
            if (nearest < 0 || d < best) {
                nearest = static_cast<std::ptrdiff_t>(i);
                best = d;
            }
        }
        if (nearest < 0)
            return;
        const auto i = static_cast<std::size_t>(nearest);
        const TSizeRow& r = m_view.Rows[i];
        m_hoverText = QStringLiteral("%1 %2: carrying capacity %3 A, drop limit %4 A, permitted "
                                     "%5 A (%6)%7")
                          .arg(QString::fromStdString(SizesCell(m_view, i, scSize)),
                               QString::fromStdString(AreaUnitLabel(m_view)),
                               QString::fromStdString(SizesCell(m_view, i, scCapacity)),
                               QString::fromStdString(SizesCell(m_view, i, scDropLimit)),
                               QString::fromStdString(SizesCell(m_view, i, scPermitted)),
                               LimitName(r.Governs),
                               nearest == m_view.Chosen ? QStringLiteral(", chosen")
                               : r.Fits                 ? QString()
                                                        : QStringLiteral(", too small"));
    }
    QToolTip::showText(QCursor::pos(), m_hoverText, ChartView);
}

void TSizesForm::ButtonCopyClick() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(SizesTabText(m_view)));
    SetStatus(QStringLiteral("Copied to Clipboard..."));
}

void TSizesForm::ReportFailure(const QString& message) {
    SetStatus(QStringLiteral("Ready"));
    ShowPlainError(this, message);
}

void TSizesForm::SaveAs(const QString& kind, const QString& suffix,
                        void (TSizesForm::*write)(const QString& path)) {
    const QString path =
        AskSaveFileName(this, QStringLiteral("Save as ") + kind,
                        QDir(m_saveFolder).filePath(QStringLiteral("Cable sizes.") + suffix),
                        QStringLiteral("%1 files (*.%2);;All files (*)").arg(kind, suffix));
    if (path.isEmpty())
        return;
    try {
        (this->*write)(path);
    } catch (const std::exception& e) {
        ReportFailure(QString::fromStdString(e.what()));
        return;
    }
    m_saveFolder = QFileInfo(path).absolutePath();
    SetStatus(QStringLiteral("Saved ") + QFileInfo(path).fileName());
}

void TSizesForm::ButtonCsvClick() {
    SaveAs(QStringLiteral("CSV"), QStringLiteral("csv"), &TSizesForm::WriteCsv);
}

void TSizesForm::ButtonPdfClick() {
    SaveAs(QStringLiteral("PDF"), QStringLiteral("pdf"), &TSizesForm::WritePdf);
}

void TSizesForm::ButtonPrintClick() {
    SetStatus(QStringLiteral("Printing cable sizes"));
    try {
        if (EnsureProcessPrinter(this, QStringLiteral("Print cable sizes")))
            PrintTo(ProcessPrinter(), windowTitle());
    } catch (const std::exception& e) {
        ReportFailure(QString::fromStdString(e.what()));
        return;
    }
    SetStatus(QStringLiteral("Ready"));
}

void TSizesForm::WriteCsv(const QString& path) {
    QSaveFile file(path);
    const std::string text = SizesCsv(m_view);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit())
        throw std::runtime_error(QStringLiteral("Unable to save the table as\n%1\n%2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
}

void TSizesForm::WritePdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setCreator(QGuiApplication::applicationDisplayName());
    PrintTo(writer, windowTitle());
}

void TSizesForm::PrintTo(QPagedPaintDevice& device, const QString& jobName) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setDocName(jobName);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(&device))
        pdf->setTitle(jobName);
    QPainter painter;
    if (!painter.begin(&device)) {
        QString where;
        if (auto* printer = dynamic_cast<QPrinter*>(&device))
            where = PrintTarget(*printer);
        throw std::runtime_error(
            QStringLiteral("Unable to print the cable sizes on \"%1\".").arg(where).toStdString());
    }
    PaintPage(painter, QRectF(0, 0, device.width(), device.height()));
    if (!painter.end())
        throw std::runtime_error("Unable to finish printing the cable sizes.");
}

void TSizesForm::PaintPage(QPainter& p, const QRectF& page) const {
    QPaintDevice* device = p.device();
    const qreal dpi = device->logicalDpiY();
    const auto pt = [dpi](qreal points) { return points * dpi / 72.0; };
    const auto sized = [this](qreal points, bool bold) {
        QFont f = font();
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    };
    const QFont title = sized(14, true), caption = sized(9, true), plain = sized(9, false),
                verdict = sized(10, false), cell = sized(8.5, false), head = sized(8.5, true);
    qreal y = page.top();
    const auto line = [&](const QFont& f, qreal x, const QString& text) {
        p.setFont(f);
        p.drawText(QPointF(x, y + QFontMetricsF(f, device).ascent()), text);
    };

    p.setPen(kText);
    line(title, page.left(), windowTitle());
    y += QFontMetricsF(title, device).height() + pt(6);

    const std::vector<std::pair<std::string, std::string>> inputs = SizesInputs(m_view);
    qreal captionWidth = 0;
    for (const auto& [name, value] : inputs)
        captionWidth = std::max(
            captionWidth,
            QFontMetricsF(caption, device).horizontalAdvance(QString::fromStdString(name)));
    for (const auto& [name, value] : inputs) {
        line(caption, page.left(), QString::fromStdString(name));
        line(plain, page.left() + captionWidth + pt(12), QString::fromStdString(value));
        y += QFontMetricsF(plain, device).height();
    }
    y += pt(8);

    p.setFont(verdict);
    QRectF box(page.left(), y, page.width(), page.bottom() - y);
    y = p.boundingRect(box, Qt::TextWordWrap, m_verdict).bottom();
    p.drawText(box, Qt::TextWordWrap, m_verdict);
    if (m_inputsChanged) {
        p.setPen(kNote);
        box.setTop(y + pt(4));
        y = p.boundingRect(box, Qt::TextWordWrap, NoteLabel->text()).bottom();
        p.drawText(box, Qt::TextWordWrap, NoteLabel->text());
        p.setPen(kText);
    }
    y += pt(10);

    // The chart takes the foot of the page; the table, shrunk if it must, the room between.
    const qreal chartHeight = std::min(page.height() * 0.4, page.width() * 0.62);
    const QRectF chartBox(page.left(), page.bottom() - chartHeight, page.width(), chartHeight);

    // Measured in bold, the chosen row's font, so that no figure is cut short.
    const QFontMetricsF metrics(head, device);
    const qreal pad = pt(4);
    const std::size_t rows = m_view.Rows.size();
    const qreal rowHeight = metrics.height() + pad;
    const qreal room = chartBox.top() - pt(10) - y;
    // A list too long to read on one page is cut to the rows around the chosen size, and says so.
    constexpr qreal kSmallestScale = 0.7;
    std::size_t first = 0, shown = rows;
    QString cut;
    if (room / (rowHeight * static_cast<qreal>(rows + 1)) < kSmallestScale) {
        // Less the heading and the line that says what was left out.
        shown = static_cast<std::size_t>(std::max(1.0, room / kSmallestScale / rowHeight - 2));
        const std::size_t centre =
            m_view.Chosen >= 0 ? static_cast<std::size_t>(m_view.Chosen) : rows - 1;
        first = std::min(centre - std::min(centre, shown / 2), rows - shown);
        cut = QStringLiteral("Sizes %1 to %2 of %3 shown; Save as CSV gives every size.")
                  .arg(first + 1)
                  .arg(first + shown)
                  .arg(rows);
    }

    std::vector<qreal> widths(SizesColumnCount);
    for (int c = 0; c < SizesColumnCount; ++c) {
        widths[c] = metrics.horizontalAdvance(QString::fromStdString(SizesHeader(m_view, c)));
        for (std::size_t r = first; r < first + shown; ++r)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(
                                                QString::fromStdString(SizesCell(m_view, r, c))));
        widths[c] += 2 * pad;
    }
    qreal tableWidth = 0;
    for (qreal w : widths)
        tableWidth += w;
    const qreal tableHeight = rowHeight * static_cast<qreal>(shown + 1 + (cut.isEmpty() ? 0 : 1));
    const qreal scale = std::min({1.0, page.width() / tableWidth, room / tableHeight});

    p.save();
    p.translate(page.left(), y);
    p.scale(scale, scale);
    const auto rowAt = [&](qreal top, const QColor& fill, const QColor& ink, const QFont& f,
                           const auto& textOf) {
        if (fill.isValid())
            p.fillRect(QRectF(0, top, tableWidth, rowHeight), fill);
        p.setPen(QPen(kRule, 0));
        p.drawLine(QPointF(0, top + rowHeight), QPointF(tableWidth, top + rowHeight));
        p.setPen(ink);
        p.setFont(f);
        qreal x = 0;
        for (int c = 0; c < SizesColumnCount; ++c) {
            const QRectF cellBox(x + pad, top, widths[c] - 2 * pad, rowHeight);
            const Qt::Alignment align =
                (c == scGoverns ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
            p.drawText(cellBox, int(align), textOf(c));
            x += widths[c];
        }
    };
    rowAt(0, kHeaderRow, kText, head,
          [&](int c) { return QString::fromStdString(SizesHeader(m_view, c)); });
    for (std::size_t r = first; r < first + shown; ++r) {
        const bool chosen = static_cast<std::ptrdiff_t>(r) == m_view.Chosen;
        rowAt(rowHeight * static_cast<qreal>(r - first + 1), chosen ? kChosenRow : QColor(),
              m_view.Rows[r].Fits ? kText : kGreyText, chosen ? head : cell,
              [&](int c) { return QString::fromStdString(SizesCell(m_view, r, c)); });
    }
    if (!cut.isEmpty()) {
        p.setPen(kGreyText);
        p.setFont(cell);
        p.drawText(QRectF(0, rowHeight * static_cast<qreal>(shown + 1), tableWidth, rowHeight),
                   int(Qt::AlignLeft | Qt::AlignVCenter), cut);
    }
    p.restore();

    // A chart of its own, laid out for the page's proportions rather than the window's.
    QGraphicsScene scene;
    auto* chart = new QChart;
    scene.addItem(chart);
    const QSizeF chartSize(720, 720 * chartBox.height() / chartBox.width());
    chart->resize(chartSize);
    TSizesChart(chart).Update(m_view);
    // The chart lays itself out on posted events, which a page cannot wait for.
    QCoreApplication::sendPostedEvents();
    scene.render(&p, chartBox, QRectF(QPointF(0, 0), chartSize));
}

bool TSizesForm::eventFilter(QObject* watched, QEvent* e) {
    // The chart's scene answers the tool-tip event with its items' tips, none, which would hide
    // the point's figures shown on hovering.
    if (e->type() == QEvent::ToolTip && watched == ChartView->viewport()) {
        if (!m_hoverText.isEmpty())
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), m_hoverText, ChartView);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

bool TSizesForm::event(QEvent* e) {
    // Kept each time the user leaves the window, as the report window does: the program may end
    // from the main window while this one is still open.
    if (e->type() == QEvent::WindowDeactivate && isVisible())
        SavePlacement();
    return QWidget::event(e);
}

void TSizesForm::showEvent(QShowEvent* e) {
    if (m_stale)
        Refresh();
    QWidget::showEvent(e);
}

void TSizesForm::closeEvent(QCloseEvent* e) {
    SavePlacement();
    QWidget::closeEvent(e);
}

void TSizesForm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace qv
