// TAmpwiseForm: the main window. The user picks material, load type and phase, enters power and
// cable length, and reads the line current and the conductor size; the window owns the sizing
// engine, keeps the inputs between runs and carries the commands that reach the other windows.
#pragma once

#include "schedulewindow/QvCircuitInputs.h"
#include "sizestext/QvSizesText.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QUrl;

namespace qv {

class TAmpwiser;
class TFmtEdit;
class TFmtEditLabel;
class TReportForm;
class TIniPadForm;
class TSizesWindow;
struct TCircuitInputs;
class qvApplicationRunner;

class TAmpwiseForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TAmpwiseForm(QWidget* parent = nullptr);
    ~TAmpwiseForm() override;

    // The windows created after this one at start-up; a command whose window is missing does
    // nothing.
    void SetReportForm(TReportForm* form) { m_reportForm = form; }
    void SetIniPadForm(TIniPadForm* form) { m_iniPadForm = form; }
    void SetAboutForm(QDialog* form) { m_aboutForm = form; }

    // Handlers. They raise on error; the signal connections route that to the error display.
    void FormActivate();
    void CalcButtonClick();
    void ReportButtonClick();
    void SizesButtonClick();
    void ResetButtonClick();
    void OptionsButtonClick();
    void HelpButtonClick();
    void AboutButtonClick();
    void MotorButtonClick();
    // The Cable Schedule window, made on first use (it lives in the part of the program loaded
    // then, see ondemand/QvOnDemand.h), and the circuits it trades with this window:
    // the present inputs (a value still being typed finished first), and a circuit loaded and
    // calculated here. LoadCircuit raises, changing nothing, when a text names nothing here; a
    // circuit with an installation also sets the Cable Sizes window's Installation panel.
    void ScheduleButtonClick();
    QWidget* ScheduleWindow() const { return m_scheduleWindow.get(); }
    TCircuitInputs CircuitInputs();
    void LoadCircuit(const TCircuitInputs& circuit);
    void edMaterialChange();
    void edLoadTypeChange();
    void edPhaseChange();
    void edPowerExit();
    void edLengthExit();
    // Enter, Down and Up over a single-line field; true when the key was used.
    bool FormKeyDown(QKeyEvent* event);

    void LoadSettings();
    void SaveSettings();
    void ReadMaxVoltDrop();
    void WriteMaxVoltDrop();
    void SetSolved(bool solved);
    void ComposeReport();

    QString StatusText() const;
    const QString& RegistryKey() const { return m_registryKey; }
    // Null when the data file failed to load: the window then offers no calculation.
    TAmpwiser* Engine() const { return m_engine.get(); }
    bool FirstActivationPending() const { return m_firstActivation; }
    // The Cable Sizes window: made on first use, so the program's start does not pay for it
    // (nor for the chart library it draws with).
    TSizesWindow* SizesWindow() const { return m_sizesWindow; }

    // Opens the help page in the desktop's viewer; tests replace it.
    static std::function<void(const QUrl&)> OpenHelp;
    // Runs the motor picker modally and returns its result code; tests replace it to answer.
    static std::function<int(QDialog&)> ExecPicker;

    QComboBox* edMaterial;
    QComboBox* edLoadType;
    QComboBox* edPhase;
    TFmtEdit* edPower;
    TFmtEdit* edLength;
    TFmtEdit* edAmps;
    TFmtEdit* edXArea;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    TFmtEditLabel* FmtEditLabel1;
    TFmtEditLabel* FmtEditLabel2;
    TFmtEditLabel* FmtEditLabel3;
    QToolButton* MotorButton;
    QFrame* Bevel1;
    QToolBar* ToolBar1;
    QToolButton* CalcButton;
    QToolButton* ReportButton;
    QToolButton* SizesButton;
    QToolButton* ScheduleButton;
    QToolButton* ResetButton;
    QToolButton* OptionsButton;
    QToolButton* HelpButton;
    QToolButton* AboutButton;
    QMenu* PopupMenu1;
    QMenu* PopupMenu2;
    QMenu* ToolsMenu;
    QAction* CalculateItem;

  signals:
    // The first activation's calculation is on screen.
    void FirstActivationDone();
    // The window was closed; the program ends with it.
    void Closed();

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // The window's controls by area; BuildControls calls the others in this order.
    void BuildControls();
    void BuildInputs(QWidget* client);
    void BuildResults(QWidget* client);
    void LayOutControls(QWidget* client);
    void BuildToolBar();
    void BuildStatusBar();
    void BuildCommands();
    void FormCreate();
    // Commits a field still being typed in, as leaving it would.
    void CommitFocusedField();
    bool MaterialSelected() const;
    // Hands the last calculation, in the units the fields show now, to the sizes window.
    void ShowSizes();

    std::unique_ptr<TAmpwiser> m_engine;
    QString m_registryKey;
    bool m_firstActivation = false;
    QLabel* m_statusText = nullptr;
    TReportForm* m_reportForm = nullptr;
    TIniPadForm* m_iniPadForm = nullptr;
    QDialog* m_aboutForm = nullptr;
    TSizesWindow* m_sizesWindow = nullptr;
    std::optional<TSizesCircuit> m_lastCircuit;
    bool m_inputsChanged = false;
    std::unique_ptr<QWidget> m_scheduleWindow;
};

} // namespace qv
