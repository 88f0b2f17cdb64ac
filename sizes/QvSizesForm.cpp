// The Cable Sizes window: its controls, the commands of its tool bar and the kept placement.
#include "sizes/QvSizesForm.h"

#include "settings/QvFirstPlacement.h"
#include "settings/QvFormPlacement.h"
#include "settings/QvRegistry.h"
#include "widgets/QvAccessibility.h"
#include "widgets/QvMessageBox.h"
#include "printers/QvPrinters.h"
#include "widgets/QvTextToolBar.h"
#include "sizes/QvSizesChart_p.h"
#include "sizes/QvSizesModel_p.h"
#include "sizes/QvSizesPrint_p.h"

#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QXYSeries>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace qv {

namespace {

const char* const kSection = "SizesForm";

// Column widths, and the table's side of the splitter, a stored value must lie within to be taken.
constexpr int kMinColumn = 16;
constexpr int kMaxColumn = 2000;
constexpr int kMaxTable = 8000;
// The figure that sets the width of the standard's columns.
constexpr const char* kIecWidest[] = {"not rated", "not rated", "0000.00", "withstands"};
// The pickers' long names are shown whole in their lists, not in the closed picker.
constexpr int kPickerCharacters = 28;

// The chart's share of a new window; it takes whatever the table leaves when the window resizes.
constexpr int kChartWidth = 520;
// How long after the panel's last change its fields are written.
constexpr int kInstallationSaveMs = 1000;
// How long the answer to a command stays in the status bar.
constexpr int kPassingStatusMs = 5000;

} // namespace

std::function<QString(QWidget*, const QString&, const QString&, const QString&)>
    TSizesForm::AskSaveFileName = [](QWidget* parent, const QString& caption,
                                     const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    };

TSizesForm::TSizesForm(const std::vector<double>& sizes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(sizes) {
    setObjectName(QStringLiteral("SizesForm"));
    setWindowTitle(QStringLiteral("Cable Sizes"));
    m_installation.PowerFactor = 0; // the load's until the panel says otherwise
    BuildControls();
    RestoreInstallation();
    FollowPalette();
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

TSizesForm::~TSizesForm() {
    // A field that loses the focus as the window goes would apply the panel to a form whose
    // members are gone.
    for (QWidget* field : InstallationBox->findChildren<QWidget*>())
        field->disconnect(this);
    SaveInstallation();
}

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

    IecVerdictLabel = new QLabel(this);
    IecVerdictLabel->setObjectName(QStringLiteral("IecVerdictLabel"));
    IecVerdictLabel->setWordWrap(true);
    IecVerdictLabel->setTextFormat(Qt::PlainText);
    IecVerdictLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    IecVerdictLabel->setAccessibleName(QStringLiteral("Installation standard's answer"));
    IecVerdictLabel->setVisible(false);
    body->addWidget(IecVerdictLabel);

    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
    NoteLabel->setText(
        QStringLiteral("The inputs have changed since this calculation: calculate again."));
    NoteLabel->setVisible(false);
    body->addWidget(NoteLabel);

    // The panel scrolls rather than squeeze the table and chart below their least height.
    auto* panel = new QScrollArea(this);
    panel->setObjectName(QStringLiteral("InstallationScroll"));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setWidgetResizable(true);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    panel->setWidget(BuildInstallationPanel());
    panel->setMinimumHeight(panel->fontMetrics().height() * 4);
    body->addWidget(panel);

    auto* split = Splitter1 = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->setChildrenCollapsible(false);
    m_model = new TSizesModel(m_view, m_iec, this);
    SizesGrid = new QTableView(split);
    SizesGrid->setObjectName(QStringLiteral("SizesGrid"));
    SizesGrid->setAccessibleName(QStringLiteral("Cable sizes"));
    SizesGrid->setModel(m_model);
    SizesGrid->setSelectionMode(QAbstractItemView::NoSelection);
    SizesGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SizesGrid->setWordWrap(false);
    SizesGrid->verticalHeader()->setVisible(false);
    SizesGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SizesGrid->verticalHeader()->setDefaultSectionSize(SizesGrid->fontMetrics().height() + 6);
    SizesGrid->horizontalHeader()->setHighlightSections(false);
    // Each column as wide as its heading's longer line or a six-character figure in bold (the
    // chosen row's), whichever is wider.
    m_model->ChosenFont = SizesGrid->font();
    m_model->ChosenFont.setBold(true);
    const QFontMetrics header(SizesGrid->horizontalHeader()->font()), figure(m_model->ChosenFont);
    for (int c = 0; c < kSizesAllColumns; ++c) {
        int width = figure.horizontalAdvance(
            c >= SizesColumnCount ? QString::fromLatin1(kIecWidest[c - SizesColumnCount])
            : c == scGoverns      ? QStringLiteral("carrying capacity")
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
    // Never so narrow that the legend cuts its names short.
    ChartView->setMinimumSize(std::max(320, m_chart->LegendWidth()), 240);
    for (QXYSeries* s : m_chart->Series())
        connect(s, &QXYSeries::hovered, this,
                [this, s](const QPointF& point, bool state) { ShowPoint(s, point, state); });
    ChartView->viewport()->installEventFilter(this);
    ChartView->setAccessibleName(QStringLiteral("Chart of current against size"));
    split->addWidget(SizesGrid);
    split->addWidget(ChartView);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    int tableWidth = 4;
    for (int c = 0; c < kSizesAllColumns; ++c)
        tableWidth += SizesGrid->columnWidth(c);
    split->setSizes(QList<int>{tableWidth + SizesGrid->verticalScrollBar()->sizeHint().width() +
                                   2 * SizesGrid->frameWidth(),
                               kChartWidth});
    body->addWidget(split, 1);
    outer->addLayout(body, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusPanel = new QLabel(StatusBar1);
    StatusBar1->addWidget(m_statusPanel, 1);
    outer->addWidget(StatusBar1);
    m_statusTimer = new QTimer(this);
    m_statusTimer->setObjectName(QStringLiteral("StatusTimer"));
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(kPassingStatusMs);
    connect(m_statusTimer, &QTimer::timeout, this, [this] { SetStatus(QStringLiteral("Ready")); });
    m_saveTimer = new QTimer(this);
    m_saveTimer->setObjectName(QStringLiteral("InstallationSaveTimer"));
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(kInstallationSaveMs);
    connect(m_saveTimer, &QTimer::timeout, this, &TSizesForm::SaveInstallation);
    SetStatus(QStringLiteral("Ready"));
}

QGroupBox* TSizesForm::BuildInstallationPanel() {
    auto* box = InstallationBox = new QGroupBox(QStringLiteral("Installation"), this);
    box->setObjectName(QStringLiteral("InstallationBox"));
    box->setAccessibleName(QStringLiteral("Installation"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);

    // A label whose mnemonic moves to its field, and the field named after it for assistive
    // technology.
    const auto place = [this, grid](QWidget* field, const char* name, const char* caption,
                                    const char* accessible, int row, int column, int span = 1) {
        field->setObjectName(QString::fromLatin1(name));
        field->setAccessibleName(QString::fromUtf8(accessible));
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(field);
        grid->addWidget(label, row, column * 2);
        grid->addWidget(field, row, column * 2 + 1, 1, span * 2 - 1);
    };
    const auto edit = [this](const char* placeholder) {
        auto* e = new QLineEdit(this);
        e->setPlaceholderText(QString::fromUtf8(placeholder));
        e->setMaxLength(64);
        connect(e, &QLineEdit::editingFinished, this, &TSizesForm::ApplyPanel);
        return e;
    };
    const auto picker = [this]() {
        auto* c = new QComboBox(this);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(kPickerCharacters);
        return c;
    };

    ComboInsulation = new QComboBox(this);
    for (iec::TInsulation i : {iec::TInsulation::PVC, iec::TInsulation::XLPE})
        ComboInsulation->addItem(QString::fromUtf8(InsulationLabel(i)), static_cast<int>(i));
    place(ComboInsulation, "ComboInsulation", "&Insulation:", "Insulation", 0, 0);
    ComboMethod = picker();
    for (iec::TMethod m : iec::kMethods) {
        ComboMethod->addItem(QString::fromStdString(MethodLabel(m)), static_cast<int>(m));
        ComboMethod->setItemData(ComboMethod->count() - 1, QString::fromStdString(MethodLabel(m)),
                                 Qt::ToolTipRole);
    }
    place(ComboMethod, "ComboMethod", "&Method:", "Installation method", 0, 1, 2);

    EditAirTemperature = edit("30");
    place(EditAirTemperature, "EditAirTemperature",
          "Am&bient air temperature (°C):", "Ambient air temperature in degrees Celsius", 1, 0);
    EditGroundTemperature = edit("20");
    place(EditGroundTemperature, "EditGroundTemperature",
          "&Ground temperature (°C):", "Ground temperature in degrees Celsius", 1, 1);
    EditSoilResistivity = edit("2.5");
    place(EditSoilResistivity, "EditSoilResistivity",
          "&Soil resistivity (K·m/W):", "Soil thermal resistivity in kelvin metres per watt", 1, 2);

    SpinCircuits = new QSpinBox(this);
    SpinCircuits->setRange(1, kMaxPanelCircuits);
    place(SpinCircuits, "SpinCircuits", "Circ&uits grouped:", "Circuits grouped", 2, 0);
    ComboArrangement = picker();
    place(ComboArrangement, "ComboArrangement", "&Arrangement:", "Arrangement of the circuits", 2,
          1, 2);

    ComboDevice = new QComboBox(this);
    for (iec::TDevice d : {iec::TDevice::None, iec::TDevice::CircuitBreaker, iec::TDevice::FuseGG})
        ComboDevice->addItem(QString::fromUtf8(DeviceLabel(d)), static_cast<int>(d));
    place(ComboDevice, "ComboDevice", "Pro&tective device:", "Protective device", 3, 0);
    EditDeviceRating = edit("");
    place(EditDeviceRating, "EditDeviceRating",
          "&Rating In (A):", "Protective device rating In in amperes", 3, 1);
    EditNominalVoltage = edit("230 or 400");
    place(EditNominalVoltage, "EditNominalVoltage", "&Nominal voltage (V):",
          "Nominal voltage in volts; blank for 230 single phase, 400 three phase", 3, 2);

    EditPowerFactor = edit("the load's");
    place(EditPowerFactor, "EditPowerFactor",
          "Power &factor:", "Power factor; blank for the load's", 4, 0);
    EditAllowedDrop = edit("5");
    place(EditAllowedDrop, "EditAllowedDrop",
          "Allo&wed drop (%):", "Allowed voltage drop in percent", 4, 1);
    EditFaultCurrent = edit("none");
    place(EditFaultCurrent, "EditFaultCurrent",
          "Fault curr&ent (kA):", "Prospective fault current in kiloamperes; blank for none", 4, 2);
    EditFaultTime = edit("");
    place(EditFaultTime, "EditFaultTime",
          "Disc&onnection time (s):", "Fault disconnection time in seconds", 5, 0);

    InstallationMessage = new QLabel(this);
    InstallationMessage->setObjectName(QStringLiteral("InstallationMessage"));
    InstallationMessage->setWordWrap(true);
    InstallationMessage->setTextFormat(Qt::PlainText);
    InstallationMessage->setVisible(false);
    grid->addWidget(InstallationMessage, 5, 2, 1, 4);
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);

    connect(ComboInsulation, &QComboBox::currentIndexChanged, this, &TSizesForm::ApplyPanel);
    connect(ComboMethod, &QComboBox::currentIndexChanged, this, &TSizesForm::MethodChanged);
    connect(ComboArrangement, &QComboBox::currentIndexChanged, this, &TSizesForm::ApplyPanel);
    connect(ComboDevice, &QComboBox::currentIndexChanged, this, [this] {
        FollowPanelChoices();
        ApplyPanel();
    });
    connect(SpinCircuits, &QSpinBox::valueChanged, this, &TSizesForm::ApplyPanel);
    SetPanelFields(TIecFields{});
    return box;
}

TIecFields TSizesForm::PanelFields() const {
    TIecFields f;
    f.Insulation = static_cast<iec::TInsulation>(ComboInsulation->currentData().toInt());
    f.Method = static_cast<iec::TMethod>(ComboMethod->currentData().toInt());
    f.AirTemperature = EditAirTemperature->text().toStdString();
    f.GroundTemperature = EditGroundTemperature->text().toStdString();
    f.SoilResistivity = EditSoilResistivity->text().toStdString();
    f.Circuits = SpinCircuits->value();
    f.Arrangement = static_cast<iec::TArrangement>(ComboArrangement->currentData().toInt());
    f.Device = static_cast<iec::TDevice>(ComboDevice->currentData().toInt());
    f.DeviceRating = EditDeviceRating->text().toStdString();
    f.NominalVoltage = EditNominalVoltage->text().toStdString();
    f.PowerFactor = EditPowerFactor->text().toStdString();
    f.AllowedDrop = EditAllowedDrop->text().toStdString();
    f.FaultCurrent = EditFaultCurrent->text().toStdString();
    f.FaultTime = EditFaultTime->text().toStdString();
    return f;
}

void TSizesForm::SetPanelFields(const TIecFields& f) {
    m_fillingPanel = true;
    const auto pick = [](QComboBox* combo, int value) {
        combo->setCurrentIndex(std::max(0, combo->findData(value)));
    };
    pick(ComboInsulation, static_cast<int>(f.Insulation));
    pick(ComboMethod, static_cast<int>(f.Method));
    m_panelMethod = f.Method;
    ComboArrangement->clear();
    for (iec::TArrangement a : Arrangements(f.Method)) {
        ComboArrangement->addItem(QString::fromUtf8(ArrangementLabel(a)), static_cast<int>(a));
        ComboArrangement->setItemData(ComboArrangement->count() - 1,
                                      QString::fromUtf8(ArrangementLabel(a)), Qt::ToolTipRole);
    }
    pick(ComboArrangement, static_cast<int>(f.Arrangement));
    pick(ComboDevice, static_cast<int>(f.Device));
    SpinCircuits->setValue(f.Circuits);
    const auto text = [](QLineEdit* e, const std::string& t) {
        e->setText(QString::fromStdString(t));
    };
    text(EditAirTemperature, f.AirTemperature);
    text(EditGroundTemperature, f.GroundTemperature);
    text(EditSoilResistivity, f.SoilResistivity);
    text(EditDeviceRating, f.DeviceRating);
    text(EditNominalVoltage, f.NominalVoltage);
    text(EditPowerFactor, f.PowerFactor);
    text(EditAllowedDrop, f.AllowedDrop);
    text(EditFaultCurrent, f.FaultCurrent);
    text(EditFaultTime, f.FaultTime);
    FollowPanelChoices();
    m_fillingPanel = false;
}

void TSizesForm::FollowPanelChoices() {
    const auto method = static_cast<iec::TMethod>(ComboMethod->currentData().toInt());
    const bool ground = method == iec::TMethod::D1 || method == iec::TMethod::D2;
    EditAirTemperature->setEnabled(!ground);
    EditGroundTemperature->setEnabled(ground);
    EditSoilResistivity->setEnabled(ground);
    EditDeviceRating->setEnabled(ComboDevice->currentData().toInt() !=
                                 static_cast<int>(iec::TDevice::None));
}

void TSizesForm::MethodChanged() {
    if (m_fillingPanel)
        return;
    TIecFields fields = PanelFields();
    fields.Arrangement = ArrangementAfter(m_panelMethod, fields.Method, fields.Arrangement);
    SetPanelFields(fields);
    ApplyPanel();
}

void TSizesForm::ApplyPanel() {
    if (m_fillingPanel)
        return;
    const TIecFields fields = PanelFields();
    const TIecParsed parsed = ParseIecFields(fields, m_installation);
    m_installation = parsed.Inputs;
    m_panelErrors.clear();
    for (const std::string& error : parsed.Errors)
        m_panelErrors += (m_panelErrors.isEmpty() ? QString() : QStringLiteral("\n")) +
                         QString::fromStdString(error);
    KeepInstallation(fields);
    Refresh();
}

void TSizesForm::RestoreInstallation() {
    TRegistryIniFile reg(AppRegistryKey());
    // A value of the wrong kind, or a store that cannot be read, is a value not there.
    const TIecFields fields = IecFieldsFromStored([&reg](const std::string& key) {
        try {
            if (reg.ValueExists(kSection, key))
                return std::optional<std::string>(reg.ReadText(kSection, key, ""));
        } catch (const ERegistryException&) {
        }
        return std::optional<std::string>();
    });
    SetPanelFields(fields);
    m_installation = ParseIecFields(fields, m_installation).Inputs;
}

void TSizesForm::KeepInstallation(const TIecFields& fields) {
    m_unsaved = fields;
    m_saveTimer->start();
}

void TSizesForm::WriteInstallation(TRegistryIniFile& reg) {
    if (!m_unsaved)
        return;
    for (const auto& [key, value] : IecStoredFields(*m_unsaved))
        reg.WriteText(kSection, key, value);
    m_unsaved.reset();
    m_saveTimer->stop();
}

void TSizesForm::SaveInstallation() {
    if (!m_unsaved)
        return;
    try {
        TRegistryIniFile reg(AppRegistryKey());
        reg.BeginUpdate();
        WriteInstallation(reg);
        reg.EndUpdate();
    } catch (const ERegistryException&) {
        // The panel still works for this session; the store's own report says why.
    }
}

void TSizesForm::RestorePlacement() {
    TRegistryIniFile reg(AppRegistryKey());
    RestoreDesignedFormPlacement(this, reg, false, true);
    PlaceBesideUnlessKept(this, parentWidget(), reg);
    // The chart takes what the table leaves, as it does when the window is resized.
    try {
        const int table = reg.ReadInt(kSection, "TableWidth", 0);
        if (table >= kMinColumn && table <= kMaxTable)
            Splitter1->setSizes({table, kChartWidth});
    } catch (const ERegistryException&) {
    }
    // Every width is read before one is applied, so a value of the wrong kind keeps them all.
    std::vector<int> widths;
    try {
        for (int c = 0; c < kSizesAllColumns; ++c)
            widths.push_back(
                reg.ReadInt(kSection, "ColWidth" + std::to_string(c), SizesGrid->columnWidth(c)));
    } catch (const ERegistryException&) {
        return;
    }
    for (int c = 0; c < kSizesAllColumns; ++c)
        if (widths[c] >= kMinColumn && widths[c] <= kMaxColumn)
            SizesGrid->setColumnWidth(c, widths[c]);
}

void TSizesForm::SavePlacement() {
    // One commit for the whole window: each commit flushes the file to disk.
    TRegistryIniFile reg(AppRegistryKey());
    reg.BeginUpdate();
    SaveFormPlacement(this, reg);
    WriteInstallation(reg);
    for (int c = 0; c < kSizesAllColumns; ++c)
        reg.WriteInt(kSection, "ColWidth" + std::to_string(c), SizesGrid->columnWidth(c));
    reg.WriteInt(kSection, "TableWidth", Splitter1->sizes().value(0));
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

void TSizesForm::SetInstallation(const iec::TIecInputs& installation) {
    const TIecFields fields = IecFieldsOf(installation);
    SetPanelFields(fields);
    m_installation = ParseIecFields(fields, installation).Inputs;
    m_panelErrors.clear();
    KeepInstallation(fields);
    if (isVisible())
        Refresh();
    else
        m_stale = true;
}

void TSizesForm::Refresh() {
    m_stale = false;
    SetStatus(QStringLiteral("Ready"));
    m_view = TSizesView{};
    m_view.Units = m_units;
    m_hasView = false;
    m_iec = TIecView{};
    if (!m_circuit) {
        m_verdict = QStringLiteral("No calculation yet.");
    } else {
        try {
            m_view = MakeSizesView(m_table, *m_circuit, m_units);
            m_hasView = true;
            m_verdict = QString::fromStdString(SizesVerdict(m_view));
            m_iec = MakeIecView(m_view, m_installation);
        } catch (const std::exception& e) {
            m_view = TSizesView{};
            m_view.Units = m_units;
            m_verdict = QStringLiteral("The sizes cannot be worked out: ") + e.what();
        }
    }
    m_model->Reset();
    m_chart->Update(m_view, m_iec);
    ChartView->setAccessibleDescription(m_chart->Description);
    VerdictLabel->setText(m_verdict);
    const QString comparison = ComparisonText();
    IecVerdictLabel->setText(
        IecVerdictText() + (comparison.isEmpty() ? QString() : QStringLiteral("\n") + comparison));
    IecVerdictLabel->setVisible(m_iec.Shown);
    QString message = m_panelErrors;
    if (m_circuit && !IecMaterial(m_circuit->Material))
        message += (message.isEmpty() ? QString() : QStringLiteral("\n")) +
                   QStringLiteral("The standard's tables hold copper and aluminium only: there is "
                                  "no IEC answer for %1.")
                       .arg(QString::fromStdString(m_circuit->Material));
    InstallationMessage->setText(message);
    InstallationMessage->setVisible(!message.isEmpty());
    NoteLabel->setVisible(m_inputsChanged && m_circuit.has_value());
    for (QToolButton* b : {ButtonCopy, ButtonCsv, ButtonPdf, ButtonPrint})
        b->setEnabled(m_hasView);
    m_hoverText.clear();
    m_hoverSeries = nullptr;
}

QString TSizesForm::VerdictText() const {
    return m_verdict;
}

QString TSizesForm::IecVerdictText() const {
    return QString::fromStdString(m_iec.Verdict);
}

QString TSizesForm::ComparisonText() const {
    return QString::fromStdString(m_iec.Comparison);
}

QString TSizesForm::InstallationMessageText() const {
    return InstallationMessage->isVisibleTo(this) ? InstallationMessage->text() : QString();
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

void TSizesForm::SetStatus(const QString& text, bool passing) {
    m_statusPanel->setText(text);
    if (passing)
        m_statusTimer->start();
    else
        m_statusTimer->stop();
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
        if (series == m_chart->Iz)
            m_hoverText = QStringLiteral("%1 %2: Iz %3 A (It %4 A)%5")
                              .arg(QString::fromStdString(SizesCell(m_view, i, scSize)),
                                   QString::fromStdString(AreaUnitLabel(m_view)),
                                   QString::fromStdString(IecCell(m_iec, i, icIz)),
                                   QString::fromStdString(IecCell(m_iec, i, icTabulated)),
                                   IecChosen(m_iec, i)   ? QStringLiteral(", the standard's size")
                                   : IecPasses(m_iec, i) ? QString()
                                                         : QStringLiteral(", fails"));
        else
            m_hoverText =
                QStringLiteral("%1 %2: carrying capacity %3 A, drop limit %4 A, permitted "
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
    QGuiApplication::clipboard()->setText(QString::fromStdString(IecTabText(m_view, m_iec)));
    SetStatus(QStringLiteral("Copied to Clipboard..."), true);
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
    SetStatus(QStringLiteral("Saved ") + QFileInfo(path).fileName(), true);
}

void TSizesForm::ButtonCsvClick() {
    SaveAs(QStringLiteral("CSV"), QStringLiteral("csv"), &TSizesForm::WriteCsv);
}

void TSizesForm::ButtonPdfClick() {
    SaveAs(QStringLiteral("PDF"), QStringLiteral("pdf"), &TSizesForm::WritePdf);
}

void TSizesForm::ButtonPrintClick() {
    // Asked each time, as the schedule's Print does: a printer chosen once in any window would
    // otherwise take every later job unseen, and a PDF file be overwritten.
    QPrinter& printer = ProcessPrinter();
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print Cable Sizes"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    SetStatus(QStringLiteral("Printing cable sizes"));
    try {
        PrintTo(printer, windowTitle());
    } catch (const std::exception& e) {
        ReportFailure(QString::fromStdString(e.what()));
        return;
    }
    SetStatus(
        printer.outputFormat() == QPrinter::PdfFormat
            ? QStringLiteral("Printed to %1").arg(QDir::toNativeSeparators(PrintTarget(printer)))
            : QStringLiteral("Sent to the printer %1").arg(PrintTarget(printer)),
        true);
}

void TSizesForm::WriteCsv(const QString& path) {
    QSaveFile file(path);
    const std::string text = IecCsv(m_view, m_iec);
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
    PrintSizesPage(device,
                   TSizesPage{windowTitle(), m_view, m_verdict,
                              m_inputsChanged ? NoteLabel->text() : QString(), font(), &m_iec,
                              IecVerdictLabel->text()},
                   jobName);
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

void TSizesForm::FollowPalette() {
    const QPalette theme = palette();
    m_model->SetPalette(theme);
    QPalette grid = SizesGrid->palette();
    grid.setColor(QPalette::Text, m_model->TextColor());
    SizesGrid->setPalette(grid);
    QPalette note = NoteLabel->palette();
    note.setColor(QPalette::WindowText, ReadableOn(kSizesNote, theme.color(QPalette::Window)));
    NoteLabel->setPalette(note);
    InstallationMessage->setPalette(note);
}

void TSizesForm::changeEvent(QEvent* e) {
    if ((e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) &&
        SizesGrid)
        FollowPalette();
    QWidget::changeEvent(e);
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
