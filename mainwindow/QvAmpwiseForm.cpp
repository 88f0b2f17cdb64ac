// The main window: layout, commands, the calculation flow and the saved inputs.
#include "mainwindow/QvAmpwiseForm.h"

#include "core/QvAmpwise.h"
#include "core/QvCableSizes.h"
#include "inieditor/QvIniPad.h"
#include "mainwindow/QvAmpwiseIcons.h"
#include "mainwindow/QvAmpwiseReport.h"
#include "mainwindow/QvErrorDisplay.h"
#include "mainwindow/QvSelectFromList.h"
#include "report/QvReporter.h"
#include "schedule/QvCircuitText.h"
#include "schedule/QvSchedule.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"
#include "settings/QvRegistry.h"
#include "settings/QvSysUtils.h"
#include "sizes/QvSizesWindow.h"
#include "ondemand/QvOnDemand.h"
#include "toolsmenu/QvShell.h"
#include "toolsmenu/QvToolPrograms.h"
#include "verinfo/QvVerInfo.h"
#include "widgets/QvAccessibility.h"
#include "units/QvConv.h"
#include "units/QvFmtEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <exception>
#include <string>
#include <vector>

namespace qv {

namespace {

const char* const kSection = "Settings";

// Power and length are magnitudes. The upper bounds only complete the fields' ranges: no supply
// cable is 1000 km long, and the power limits (PowerLimit) stop far lower.
constexpr double kPowerRangeHi = 1e6;  // kW
constexpr double kLengthRangeHi = 1e6; // m

QStringList ToQStringList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& s : items)
        list << QString::fromStdString(s);
    return list;
}

QLabel* Caption(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

TFmtEdit* NumberField(const char* name, const char* format, TFormatType type, TUnitsType units,
                      int base, TFmtEditLabel* unitsLabel, QWidget* parent) {
    auto* edit = new TFmtEdit(parent);
    edit->setObjectName(name);
    edit->setFormatStr(format);
    edit->setFormatType(type);
    edit->setSigDigs(5);
    edit->setUnitsType(units);
    edit->setUnitsBase(base);
    edit->setUnitsValue(base);
    if (unitsLabel)
        edit->setUnitsLabel(unitsLabel);
    // The window's own menu serves every field, as it does the rest of the window.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}

QToolButton* ToolButton(const char* name, const QString& text, const QString& hint,
                        TAmpwiseIcon icon, QToolBar* bar) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAccessibleName(hint.isEmpty() ? text : hint);
    button->setIcon(AmpwiseIcon(icon));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->addWidget(button);
    return button;
}

// What Label9 shows for a material: its conductivity to three significant digits, and the unit.
QString ConductivityText(double conductivity) {
    return QString::fromStdString(FormatFloat("%0.3g ", conductivity)) + kConductivityUnit;
}

int PositionOrNone(int stored, int count) {
    return stored >= 0 && stored < count ? stored : -1;
}

// A field's value in base units; text that is no number raises the conversion error.
double ValueOf(const TFmtEdit& field) {
    const std::variant<double, QString> v = field.GetValue();
    if (const double* d = std::get_if<double>(&v))
        return *d;
    throw EConvertError("'" + std::get<QString>(v).toStdString() +
                        "' is not a valid floating point value");
}

// A window opened from this one: shown, in front, and taking the keyboard.
void ShowOnTop(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

std::function<void(const QUrl&)> TAmpwiseForm::OpenHelp = [](const QUrl& url) {
    QDesktopServices::openUrl(url);
};

std::function<int(QDialog&)> TAmpwiseForm::ExecPicker = [](QDialog& dialog) {
    return dialog.exec();
};

TAmpwiseForm::TAmpwiseForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("AmpwiseForm");
    BuildControls();
    BuildCommands();
    FormCreate();
}

TAmpwiseForm::~TAmpwiseForm() = default;

void TAmpwiseForm::BuildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    BuildInputs(client);
    BuildResults(client);
    LayOutControls(client);
    BuildToolBar();
    BuildStatusBar();

    setMinimumSize(325, 385);
    setMaximumSize(428, 475);
    resize(325, 385);
    edMaterial->setFocus();
}

void TAmpwiseForm::BuildInputs(QWidget* client) {
    Label1 = Caption("Material", "Label1", client);
    Label2 = Caption("Load Type", "Label2", client);
    Label3 = Caption("Power", "Label3", client);
    Label4 = Caption("Phase", "Label4", client);
    Label5 = Caption("Cable Length", "Label5", client);
    Label9 = Caption(QString(), "Label9", client);

    // "Power" reads as a link: clicking it opens the motor picker.
    QFont linkFont = Label3->font();
    linkFont.setUnderline(true);
    Label3->setFont(linkFont);
    Label3->setForegroundRole(QPalette::Highlight);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->installEventFilter(this);

    edMaterial = new QComboBox(client);
    edMaterial->setObjectName("edMaterial");
    edLoadType = new QComboBox(client);
    edLoadType->setObjectName("edLoadType");
    edPhase = new QComboBox(client);
    edPhase->setObjectName("edPhase");

    FmtEditLabel1 = new TFmtEditLabel("kW", client);
    FmtEditLabel1->setObjectName("FmtEditLabel1");
    FmtEditLabel2 = new TFmtEditLabel("m", client);
    FmtEditLabel2->setObjectName("FmtEditLabel2");

    edPower = NumberField("edPower", "%0.3f", ft_Fixed, utPower, 0, FmtEditLabel1, client);
    edPower->setText("5.500");
    edLength = NumberField("edLength", "%0.3f", ft_Fixed, utLengthPrim, 0, FmtEditLabel2, client);
    edLength->setText("40.000");
    edPower->setRangeLo(0);
    edPower->setRangeHi(kPowerRangeHi);
    edLength->setRangeLo(0);
    edLength->setRangeHi(kLengthRangeHi);

    MotorButton = new QToolButton(client);
    MotorButton->setObjectName("MotorButton");
    MotorButton->setAutoRaise(true);
    MotorButton->setFocusPolicy(Qt::NoFocus);
    MotorButton->setIcon(AmpwiseIcon(TAmpwiseIcon::Motor));
    MotorButton->setIconSize(QSize(20, 20));
    MotorButton->setToolTip("Select motor power from list");

    // Names for assistive technology; none is shown. A list is named by the caption whose buddy
    // it is (on Linux a list's own name is its value); the captions carry no '&', so being a
    // buddy gives them no mnemonic.
    Label1->setBuddy(edMaterial);
    Label2->setBuddy(edLoadType);
    Label4->setBuddy(edPhase);
    Label3->setBuddy(edPower);
    Label5->setBuddy(edLength);
    edPower->setAccessibleCaption(Label3->text());
    edLength->setAccessibleCaption(Label5->text());
    MotorButton->setAccessibleName(MotorButton->toolTip());
}

void TAmpwiseForm::BuildResults(QWidget* client) {
    Label6 = Caption("Cable X Area", "Label6", client);
    Label7 = Caption("Line Current", "Label7", client);
    Label8 = Caption("Amps", "Label8", client);
    FmtEditLabel3 = new TFmtEditLabel(QString::fromUtf8("mm\u00B2"), client);
    FmtEditLabel3->setObjectName("FmtEditLabel3");
    edAmps = NumberField("edAmps", "%0.1f", ft_AutoOverride, utNone, 0, nullptr, client);
    edXArea = NumberField("edXArea", "%0.0f", ft_Auto, utArea, 2, FmtEditLabel3, client);
    // Results: the user reads and copies them, typing into them would mean nothing.
    edAmps->setReadOnly(true);
    edXArea->setReadOnly(true);
    Label6->setBuddy(edXArea);
    Label7->setBuddy(edAmps);
    edXArea->setAccessibleCaption(Label6->text());
    edAmps->setAccessibleName(Label7->text() + ", A");

    Bevel1 = new QFrame(client);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
}

void TAmpwiseForm::LayOutControls(QWidget* client) {
    // Rows follow the tab order, so Enter and the arrow keys move straight down the window.
    auto* grid = new QGridLayout(client);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edMaterial, 0, 1);
    grid->addWidget(Label9, 0, 2, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(edLoadType, 1, 1);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(edPhase, 2, 1);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(edPower, 3, 1);
    grid->addWidget(FmtEditLabel1, 3, 2);
    grid->addWidget(MotorButton, 3, 3);
    grid->addWidget(Label5, 4, 0);
    grid->addWidget(edLength, 4, 1);
    grid->addWidget(FmtEditLabel2, 4, 2);
    grid->addWidget(Bevel1, 5, 0, 1, 4);
    grid->addWidget(Label7, 6, 0);
    grid->addWidget(edAmps, 6, 1);
    grid->addWidget(Label8, 6, 2);
    grid->addWidget(Label6, 7, 0);
    grid->addWidget(edXArea, 7, 1);
    grid->addWidget(FmtEditLabel3, 7, 2);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);

    setTabOrder(edMaterial, edLoadType);
    setTabOrder(edLoadType, edPhase);
    setTabOrder(edPhase, edPower);
    setTabOrder(edPower, edLength);
    setTabOrder(edLength, edAmps);
    setTabOrder(edAmps, edXArea);
}

void TAmpwiseForm::BuildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    CalcButton = ToolButton("CalcButton", "Calculate", "Solve", TAmpwiseIcon::Calculate, ToolBar1);
    ToolBar1->addSeparator();
    ReportButton = ToolButton("ReportButton", "Report", "Report", TAmpwiseIcon::Report, ToolBar1);
    SizesButton = ToolButton("SizesButton", "Sizes", "Sizes", TAmpwiseIcon::Sizes, ToolBar1);
    ScheduleButton =
        ToolButton("ScheduleButton", "Schedule", "Schedule", TAmpwiseIcon::Schedule, ToolBar1);
    ResetButton = ToolButton("ResetButton", "Reset", "Reset", TAmpwiseIcon::Reset, ToolBar1);
    OptionsButton =
        ToolButton("OptionsButton", "Settings", "Settings", TAmpwiseIcon::Settings, ToolBar1);
    ToolBar1->addSeparator();
    HelpButton = ToolButton("HelpButton", "Help", "Help", TAmpwiseIcon::Help, ToolBar1);
    AboutButton = ToolButton("AboutButton", "About", QString(), TAmpwiseIcon::About, ToolBar1);
    NameToolBarExtension(ToolBar1);
}

void TAmpwiseForm::BuildStatusBar() {
    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    m_statusText = new QLabel("Ready...", status);
    status->addWidget(m_statusText, 1);
    setStatusBar(status);
}

void TAmpwiseForm::BuildCommands() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    CalculateItem =
        PopupMenu1->addAction("&Calculate", this, Guarded([this] { CalcButtonClick(); }));
    PopupMenu1->addAction("&Report", this, Guarded([this] { ReportButtonClick(); }));
    PopupMenu1->addAction("Si&zes", this, Guarded([this] { SizesButtonClick(); }));
    PopupMenu1->addAction("Sch&edule", this, Guarded([this] { ScheduleButtonClick(); }));
    PopupMenu1->addAction("Re&set", this, Guarded([this] { ResetButtonClick(); }));
    PopupMenu1->addAction("&Options", this, Guarded([this] { OptionsButtonClick(); }));
    PopupMenu1->addAction("&Help", this, Guarded([this] { HelpButtonClick(); }));
    PopupMenu1->addAction("About", this, Guarded([this] { AboutButtonClick(); }));
    PopupMenu1->addSeparator();
    ToolsMenu = PopupMenu1->addMenu("&Tools");
    ToolsMenu->setObjectName("ToolsMenu");

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    PopupMenu2->addAction("Help", this, Guarded([this] { HelpButtonClick(); }));
    PopupMenu2->addSeparator();
    PopupMenu2->addAction("About", this, Guarded([this] { AboutButtonClick(); }));
    // The button itself runs About; its arrow opens the menu.
    AboutButton->setMenu(PopupMenu2);
    AboutButton->setPopupMode(QToolButton::MenuButtonPopup);

    connect(CalcButton, &QToolButton::clicked, this, Guarded([this] { CalcButtonClick(); }));
    connect(ReportButton, &QToolButton::clicked, this, Guarded([this] { ReportButtonClick(); }));
    connect(SizesButton, &QToolButton::clicked, this, Guarded([this] { SizesButtonClick(); }));
    connect(ScheduleButton, &QToolButton::clicked, this,
            Guarded([this] { ScheduleButtonClick(); }));
    connect(ResetButton, &QToolButton::clicked, this, Guarded([this] { ResetButtonClick(); }));
    connect(OptionsButton, &QToolButton::clicked, this, Guarded([this] { OptionsButtonClick(); }));
    connect(HelpButton, &QToolButton::clicked, this, Guarded([this] { HelpButtonClick(); }));
    connect(AboutButton, &QToolButton::clicked, this, Guarded([this] { AboutButtonClick(); }));
    connect(MotorButton, &QToolButton::clicked, this, Guarded([this] { MotorButtonClick(); }));
    // The caption and the button that open the motor picker take no focus; a key reaches it.
    auto* pickMotor = new QAction(this);
    pickMotor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    addAction(pickMotor);
    connect(pickMotor, &QAction::triggered, this, Guarded([this] { MotorButtonClick(); }));
    MotorButton->setAccessibleDescription(QStringLiteral("Ctrl+M"));

    // `activated` is the user's choice only, as a list's change event is; setting a position
    // from code runs nothing.
    connect(edMaterial, &QComboBox::activated, this, Guarded([this] { edMaterialChange(); }));
    connect(edLoadType, &QComboBox::activated, this, Guarded([this] { edLoadTypeChange(); }));
    connect(edPhase, &QComboBox::activated, this, Guarded([this] { edPhaseChange(); }));
    connect(edPower, &QvCustomEdit::OnExit, this, Guarded([this] { edPowerExit(); }));
    connect(edLength, &QvCustomEdit::OnExit, this, Guarded([this] { edLengthExit(); }));
    // The sizes window shows its figures in the units the fields show.
    for (TFmtEdit* field : {edPower, edLength, edXArea})
        connect(field, &QvCustomEdit::OnUnitsEdited, this, Guarded([this] { ShowSizes(); }));

    // Key preview: the window sees the keys of its single-line fields before they do.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->installEventFilter(this);
}

void TAmpwiseForm::FormCreate() {
    std::vector<std::string> problems;
    try {
        m_engine = std::make_unique<TAmpwiser>();
    } catch (const std::exception& e) {
        // The window still opens, with the inputs but without a calculation.
        problems.push_back(e.what());
    }
    if (m_engine) {
        edMaterial->addItems(ToQStringList(ParseCommaText(m_engine->MaterialList)));
        // Room for the widest conductivity text from the start, so that showing one later moves
        // no other control.
        int widest = 0;
        for (const MaterialRec& m : Materials)
            widest = std::max(
                widest, Label9->fontMetrics().horizontalAdvance(ConductivityText(m.Conductivity)));
        Label9->setMinimumWidth(widest);
    }
    CalcButton->setEnabled(m_engine != nullptr);
    CalculateItem->setEnabled(m_engine != nullptr);

    const std::vector<std::string> loadTypes(LoadTypeNames.begin(), LoadTypeNames.end());
    const std::vector<std::string> phases(PhaseNames.begin(), PhaseNames.end());
    edLoadType->addItems(ToQStringList(ParseCommaText(QuotedCommaText(loadTypes))));
    edPhase->addItems(ToQStringList(ParseCommaText(QuotedCommaText(phases))));

    m_registryKey = QString::fromStdString(AppRegistryKey());
    try {
        LoadSettings();
    } catch (const std::exception& e) {
        problems.push_back(e.what());
    }
    const std::string damage = TakeRegistryDamageReport();
    if (!damage.empty())
        problems.push_back(damage);

    try {
        setWindowTitle(QString::fromStdString(GetProductTitle(ExecutablePath())));
    } catch (const std::exception&) {
        // A program built without its version block still needs a title.
        setWindowTitle(QApplication::applicationName());
    }

    // The other programs of the maker; the runner belongs to this window.
    new qvApplicationRunner(this, 1, QString::fromStdString(ToolPrograms[AmpwiseToolRow].Caption),
                            ToolsMenu);

    m_firstActivation = true;

    if (!problems.empty()) {
        QString message;
        for (const std::string& p : problems)
            message += (message.isEmpty() ? "" : "\n") + QString::fromStdString(p);
        ShowErrorMessage(message);
    }
}

void TAmpwiseForm::LoadSettings() {
    TRegistryIniFile reg(m_registryKey.toStdString());
    // A value of the wrong kind falls back to its default and is reported once; the next save
    // writes it with the right kind.
    QStringList bad;
    auto readInt = [&](const char* key, std::int32_t def) {
        try {
            return reg.ReadInt(kSection, key, def);
        } catch (const ERegistryException&) {
            bad << key;
            return def;
        }
    };
    auto readReal = [&](const char* key, double def) {
        try {
            return reg.ReadReal(kSection, key, def);
        } catch (const ERegistryException&) {
            bad << key;
            return def;
        }
    };
    const int material = readInt("Material", 0);
    const int loadType = readInt("LoadType", 0);
    const int phase = readInt("Phase", 0);
    // Power and length are magnitudes within the fields' ranges: a stored value outside them (a
    // hand edit, an older version) must not come back as a negative current shown as solved.
    auto readMagnitude = [&](const char* key, double def, double hi) {
        const double v = readReal(key, def);
        if (v >= 0 && v <= hi)
            return v;
        bad << key;
        return def;
    };
    const double power = readMagnitude("Power", 5.5, kPowerRangeHi);
    const double length = readMagnitude("Length", 40.0, kLengthRangeHi);
    const int powerUnits = readInt("PowerUnits", 0);
    const int lengthUnits = readInt("LengthUnits", 0);
    const int areaUnits = readInt("AreaUnits", 2);

    edMaterial->setCurrentIndex(PositionOrNone(material, edMaterial->count()));
    edLoadType->setCurrentIndex(PositionOrNone(loadType, edLoadType->count()));
    edPhase->setCurrentIndex(PositionOrNone(phase, edPhase->count()));
    // Values first, in base units; then the units, which convert what is shown.
    edPower->SetValue(power);
    edLength->SetValue(length);
    edPower->setUnitsValue(powerUnits);
    edLength->setUnitsValue(lengthUnits);
    edXArea->setUnitsValue(areaUnits);

    if (!bad.isEmpty())
        throw ERegistryException("Saved settings of the wrong kind were replaced by their "
                                 "defaults: " +
                                 bad.join(", ").toStdString());
}

void TAmpwiseForm::SaveSettings() {
    TRegistryIniFile reg(m_registryKey.toStdString());
    reg.BeginUpdate(); // one commit for all eight inputs
    reg.WriteInt(kSection, "Material", edMaterial->currentIndex());
    reg.WriteInt(kSection, "LoadType", edLoadType->currentIndex());
    reg.WriteInt(kSection, "Phase", edPhase->currentIndex());
    // A field that does not hold a number keeps the value saved before.
    if (edPower->hasNumber())
        reg.WriteReal(kSection, "Power", edPower->valueOr(5.5));
    if (edLength->hasNumber())
        reg.WriteReal(kSection, "Length", edLength->valueOr(40.0));
    reg.WriteInt(kSection, "PowerUnits", edPower->unitsValue());
    reg.WriteInt(kSection, "LengthUnits", edLength->unitsValue());
    reg.WriteInt(kSection, "AreaUnits", edXArea->unitsValue());
    reg.EndUpdate();
}

void TAmpwiseForm::ReadMaxVoltDrop() {
    TIniFile ini(SettingsIniPath());
    MaxVoltDrop = ini.ReadReal("Settings", "MaxVoltDrop", 5.5);
}

void TAmpwiseForm::WriteMaxVoltDrop() {
    TIniFile ini(SettingsIniPath());
    ini.WriteReal("Settings", "MaxVoltDrop", MaxVoltDrop);
}

void TAmpwiseForm::SetSolved(bool solved) {
    m_statusText->setText(solved ? "Solved..." : "Not Solved...");
    AnnounceStatus(statusBar(), m_statusText->text());
    // Outside a calculation this means an input changed; a calculation clears it again.
    m_inputsChanged = true;
    if (m_sizesWindow)
        m_sizesWindow->SetInputsChanged(true);
}

QString TAmpwiseForm::StatusText() const {
    return m_statusText->text();
}

bool TAmpwiseForm::MaterialSelected() const {
    const int i = edMaterial->currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < Materials.size();
}

void TAmpwiseForm::FormActivate() {
    if (!m_firstActivation)
        return;
    // Cleared first: a failing step must not make every later activation retry it.
    m_firstActivation = false;
    // The report window is bound even when the first calculation fails (a stored zero length),
    // or it would never be rebuilt after a resize or a font change for the rest of the run.
    std::exception_ptr failure;
    try {
        ReadMaxVoltDrop();
        CalcButtonClick();
    } catch (...) {
        failure = std::current_exception();
    }
    if (m_reportForm) {
        m_reportForm->OnRefresh = [this] { ComposeReport(); };
        m_reportForm->SetTabs({90, 150});
    }
    if (failure)
        std::rethrow_exception(failure);
    emit FirstActivationDone();
}

void TAmpwiseForm::CommitFocusedField() {
    auto* field = qobject_cast<TFmtEdit*>(QApplication::focusWidget());
    if (field && field->window() == this)
        field->FinishEntry(); // commits, runs the field's exit handler, clears its flag
}

void TAmpwiseForm::CalcButtonClick() {
    CommitFocusedField();
    const int loadType = edLoadType->currentIndex();
    const int phase = edPhase->currentIndex();
    if (!m_engine || !MaterialSelected() || loadType < 0 || loadType > 1 || phase < 0 ||
        phase > 1) {
        // Nothing defined to compute: say so rather than read past a table.
        SetSolved(false);
        return;
    }
    // Worked on a copy so that a failing calculation leaves results and report untouched.
    TAmpwiser trial = *m_engine;
    trial.SetMaterial(edMaterial->currentIndex());
    const double length = ValueOf(*edLength);
    const double power = ValueOf(*edPower);
    const bool solved = trial.Calculate(static_cast<std::uint8_t>(loadType),
                                        static_cast<std::uint8_t>(phase), length, power);
    *m_engine = trial;
    SetSolved(solved);
    edAmps->SetValue(m_engine->Current);
    edXArea->SetValue(m_engine->XArea);
    ComposeReport();
    m_lastCircuit = SizesCircuit(*m_engine, MaxVoltDrop);
    m_inputsChanged = false;
    ShowSizes();
}

void TAmpwiseForm::edMaterialChange() {
    if (m_engine && MaterialSelected()) {
        m_engine->SetMaterial(edMaterial->currentIndex());
        Label9->setText(ConductivityText(m_engine->Conductivity));
    } else {
        Label9->clear();
    }
    CalcButtonClick();
}

void TAmpwiseForm::edLoadTypeChange() {
    edPower->setModified(true);
    edPowerExit();
    SetSolved(false);
}

void TAmpwiseForm::edPhaseChange() {
    edPower->setModified(true);
    edPowerExit();
    SetSolved(false);
}

void TAmpwiseForm::edPowerExit() {
    if (!edPower->isModified())
        return;
    // Text that is no number is left for the calculation to report.
    if (edPower->hasNumber()) {
        const double power = edPower->valueOr(0);
        const int loadType = edLoadType->currentIndex();
        const int phase = edPhase->currentIndex();
        // No list entry chosen: no limit.
        const bool known = loadType == 0 || (loadType == 1 && (phase == 0 || phase == 1));
        if (known) {
            const double limit =
                PowerLimit(static_cast<std::uint8_t>(loadType), static_cast<std::uint8_t>(phase));
            if (power > limit)
                edPower->SetValue(limit);
        }
    }
    SetSolved(false);
}

void TAmpwiseForm::edLengthExit() {
    if (edLength->isModified())
        SetSolved(false);
}

void TAmpwiseForm::ResetButtonClick() {
    MaxVoltDrop = 5.5;
    WriteMaxVoltDrop();
    edMaterial->setCurrentIndex(edMaterial->findText("Copper", Qt::MatchFixedString));
    edMaterialChange();
    edLoadType->setCurrentIndex(0);
    edPhase->setCurrentIndex(0);
    edPower->SetValue(5.5);
    edLength->SetValue(40);
    edPower->setUnitsValue(0);
    edLength->setUnitsValue(0);
    edXArea->setUnitsValue(2);
    SaveSettings();
    CalcButtonClick();
}

void TAmpwiseForm::HelpButtonClick() {
    const QString page = QString::fromStdString(AppPath) + "Help/Index.htm";
    // A missing page: no message, as the shell gives none.
    if (QFileInfo(page).isFile() && OpenHelp)
        OpenHelp(QUrl::fromLocalFile(page));
}

void TAmpwiseForm::ReportButtonClick() {
    if (m_reportForm)
        ShowOnTop(m_reportForm);
}

void TAmpwiseForm::SizesButtonClick() {
    if (!m_sizesWindow) {
        m_sizesWindow = OnDemand().MakeSizesWindow(StandardSizes, this);
        ShowSizes();
    }
    ShowOnTop(m_sizesWindow->Widget());
}

void TAmpwiseForm::ShowSizes() {
    if (!m_sizesWindow)
        return;
    if (m_lastCircuit)
        m_sizesWindow->ShowCalculation(
            *m_lastCircuit, {edXArea->unitsValue(), edLength->unitsValue(), edPower->unitsValue()});
    m_sizesWindow->SetInputsChanged(m_inputsChanged);
}

void TAmpwiseForm::AboutButtonClick() {
    if (m_aboutForm)
        m_aboutForm->exec();
}

void TAmpwiseForm::OptionsButtonClick() {
    if (!m_iniPadForm)
        return;
    m_iniPadForm->setFileName(QString::fromStdString(SettingsIniPath()));
    m_iniPadForm->LoadFile();
    if (m_iniPadForm->exec() == QDialog::Accepted) {
        ReadMaxVoltDrop();
        SetSolved(false);
    }
}

void TAmpwiseForm::MotorButtonClick() {
    TSelectFromList picker(this);
    switch (edPhase->currentIndex()) {
    case 0:
        picker.LoadValues(SinglePhaseMotorList);
        break;
    case 1:
        picker.LoadValues(ThreePhaseMotorList);
        break;
    default:
        break;
    }
    if (ExecPicker(picker) != QDialog::Accepted)
        return;
    // As if typed: the number is taken in the unit the field shows.
    edPower->setText(picker.GetSelection());
    edPower->setModified(true);
    edPowerExit();
    edLoadType->setCurrentIndex(1);
    SetSolved(false);
}

void TAmpwiseForm::ScheduleButtonClick() {
    if (!m_scheduleWindow)
        m_scheduleWindow.reset(OnDemand().MakeScheduleWindow([this] { return CircuitInputs(); },
                                                             [this](const TCircuitInputs& circuit) {
                                                                 LoadCircuit(circuit);
                                                                 raise();
                                                                 activateWindow();
                                                             }));
    ShowOnTop(m_scheduleWindow.get());
}

TCircuitInputs TAmpwiseForm::CircuitInputs() {
    // Focus is in the schedule window by now, so a value being typed here is finished as
    // leaving its field would finish it.
    for (TFmtEdit* field : {edPower, edLength})
        if (field->isModified())
            field->FinishEntry();
    return {edMaterial->currentText(),
            edLoadType->currentText(),
            edPhase->currentText(),
            edPower->text() + ' ' + FmtEditLabel1->text(),
            edLength->text() + ' ' + FmtEditLabel2->text(),
            {}};
}

void TAmpwiseForm::LoadCircuit(const TCircuitInputs& circuit) {
    // Everything is read before anything changes.
    auto items = [](const QComboBox* list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(list->itemText(i).toStdString());
        return texts;
    };
    const std::string texts[] = {circuit.Material.toStdString(), circuit.LoadType.toStdString(),
                                 circuit.Phase.toStdString(), circuit.Power.toStdString(),
                                 circuit.Length.toStdString()};
    const TCircuitChoice c = ReadCircuitText({texts[0], texts[1], texts[2], texts[3], texts[4], {}},
                                             items(edMaterial), items(edLoadType), items(edPhase));
    const int material = c.Material;
    const int loadType = c.LoadType;
    const int phase = c.Phase;
    const double power = c.Power, length = c.Length;
    const int powerUnit = c.PowerUnit, lengthUnit = c.LengthUnit;
    // The installation goes to the Cable Sizes window's panel, made now if need be but left
    // unshown: it draws the circuit calculated below with it whenever the user opens it.
    if (circuit.Installation) {
        if (!m_sizesWindow)
            m_sizesWindow = OnDemand().MakeSizesWindow(StandardSizes, this);
        m_sizesWindow->SetInstallation(*circuit.Installation);
    }

    edLoadType->setCurrentIndex(loadType);
    edPhase->setCurrentIndex(phase);
    // Values in base units, then the units, which convert what is shown.
    edPower->SetValue(power);
    edPower->setUnitsValue(powerUnit);
    edLength->SetValue(length);
    edLength->setUnitsValue(lengthUnit);
    // The power is taken as if typed, so this window's limits apply to it.
    edPower->setModified(true);
    edPowerExit();
    edMaterial->setCurrentIndex(material);
    edMaterialChange(); // shows the conductivity and calculates
}

void TAmpwiseForm::ComposeReport() {
    if (!m_reportForm)
        return;
    TReportInputs in;
    in.Title = windowTitle();
    in.MaterialCaption = Label1->text();
    in.MaterialText = edMaterial->currentText();
    in.Conductivity = m_engine ? m_engine->Conductivity : 0;
    in.LoadTypeCaption = Label2->text();
    in.LoadTypeText = edLoadType->currentText();
    in.PowerCaption = Label3->text();
    in.PowerText = edPower->text();
    in.PowerUnit = FmtEditLabel1->text();
    in.PhaseCaption = Label4->text();
    in.PhaseText = edPhase->currentText();
    in.LengthCaption = Label5->text();
    in.LengthText = edLength->text();
    in.LengthUnit = FmtEditLabel2->text();
    in.MaxVoltDrop = MaxVoltDrop;
    in.CurrentCaption = Label7->text();
    in.CurrentText = edAmps->text();
    in.CurrentUnit = Label8->text();
    in.VoltDrop = m_engine ? m_engine->VoltDrop() : -1;
    in.AreaCaption = Label6->text();
    in.AreaText = edXArea->text();
    in.AreaUnit = FmtEditLabel3->text();

    m_reportForm->Clear();
    for (const QString& line : ComposeReportLines(in))
        m_reportForm->AddLine(line);
}

bool TAmpwiseForm::FormKeyDown(QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down && key != Qt::Key_Up)
        return false;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!edit || edit->window() != this)
        return false;
    focusNextPrevChild(key != Qt::Key_Up);
    return true;
}

bool TAmpwiseForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && m_firstActivation) {
        const bool handled = QMainWindow::event(e);
        Guarded([this] { FormActivate(); })();
        return handled;
    }
    return QMainWindow::event(e);
}

void TAmpwiseForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager the window may never be activated; the first calculation must
    // still happen once the window is up.
    if (m_firstActivation)
        QTimer::singleShot(0, this, Guarded([this] { FormActivate(); }));
}

void TAmpwiseForm::closeEvent(QCloseEvent* e) {
    // The program ends with this window: the schedule's unsaved changes are asked about first.
    if (m_scheduleWindow && m_scheduleWindow->isVisible() && !m_scheduleWindow->close()) {
        e->ignore();
        return;
    }
    // A value still being typed is finished as Calculate finishes it (limits included) before it
    // is stored for the next start.
    Guarded([this] { CommitFocusedField(); })();
    Guarded([this] { SaveSettings(); })();
    QMainWindow::closeEvent(e);
    emit Closed();
}

void TAmpwiseForm::contextMenuEvent(QContextMenuEvent* e) {
    PopupMenu1->exec(e->globalPos());
    e->accept();
}

bool TAmpwiseForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched))
        return FormKeyDown(static_cast<QKeyEvent*>(e));
    if (watched == Label3 && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        Guarded([this] { MotorButtonClick(); })();
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace qv
