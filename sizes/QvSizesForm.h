// TSizesForm: the Cable Sizes window. Every standard size against the two limits of the main
// window's last calculation, the chosen row highlighted and the sizes that do not fit greyed, a
// verdict that says why this size, and a chart of current against size. Beside that answer, the
// installation standard's: an Installation panel, its columns after the present ones, a second
// verdict line and the Iz curve. It follows each calculation while it exists; it copies, saves as
// CSV or PDF, and prints.
#pragma once

#include "core/QvCableSizes.h"
#include "iec/QvIec.h"
#include "sizestext/QvSizesIec.h"
#include "sizestext/QvSizesText.h"
#include "sizes/QvSizesWindow.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPagedPaintDevice;
class QPointF;
class QSplitter;
class QStatusBar;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class QXYSeries;

namespace qv {

class TRegistryIniFile;
class TSizesChart;
class TSizesModel;

class TSizesForm : public QWidget, public TSizesWindow {
    Q_OBJECT

  public:
    // The size list is read here, once: a size's carrying capacity depends on nothing else.
    explicit TSizesForm(const std::vector<double>& sizes, QWidget* parent = nullptr);
    ~TSizesForm() override;

    QWidget* Widget() override { return this; }
    void ShowCalculation(const TSizesCircuit& circuit, const TSizesUnits& units) override;
    void SetInputsChanged(bool changed) override;
    // A power factor of 0 (or not a number) leaves it to the load; a nominal voltage of 0 takes the
    // phase's default.
    void SetInstallation(const iec::TIecInputs& installation) override;
    const iec::TIecInputs& Installation() const { return m_installation; }

    // What is shown; HasView is false before the first calculation or when it cannot be shown.
    bool HasView() const { return m_hasView; }
    const TSizesView& View() const { return m_view; }
    QString VerdictText() const;
    // The standard's verdict line, and where the two answers differ, the sentence that says so;
    // empty without a calculation.
    QString IecVerdictText() const;
    QString ComparisonText() const;
    const TIecView& Iec() const { return m_iec; }
    // What the panel says of its fields (a number it cannot read); empty when all is well.
    QString InstallationMessageText() const;
    QString NoteText() const;
    QString StatusText() const;
    // The values of the chart point under the mouse, empty when none.
    QString HoverText() const { return m_hoverText; }
    QChart* Chart() const;

    // Tool bar commands; a file that cannot be written is reported in a message box. Print asks
    // with the print dialog each time, and the status says where the job went.
    void ButtonCopyClick();
    void ButtonCsvClick();
    void ButtonPdfClick();
    void ButtonPrintClick();

    // The whole page (inputs, verdict, table and chart) on a printer or PDF writer; throws
    // std::runtime_error when the device cannot be painted on.
    void PrintTo(QPagedPaintDevice& device, const QString& jobName);
    // Throw std::runtime_error naming the file and the reason.
    void WriteCsv(const QString& path);
    void WritePdf(const QString& path);

    // Asks for the name of a file to save; an empty answer cancels. Tests replace it.
    static std::function<QString(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter)>
        AskSaveFileName;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ButtonCopy = nullptr;
    QToolButton* ButtonCsv = nullptr;
    QToolButton* ButtonPdf = nullptr;
    QToolButton* ButtonPrint = nullptr;
    QToolButton* ButtonClose = nullptr;
    QLabel* VerdictLabel = nullptr;
    QLabel* IecVerdictLabel = nullptr;
    QGroupBox* InstallationBox = nullptr;
    QComboBox* ComboInsulation = nullptr;
    QComboBox* ComboMethod = nullptr;
    QLineEdit* EditAirTemperature = nullptr;
    QLineEdit* EditGroundTemperature = nullptr;
    QLineEdit* EditSoilResistivity = nullptr;
    QSpinBox* SpinCircuits = nullptr;
    QComboBox* ComboArrangement = nullptr;
    QComboBox* ComboDevice = nullptr;
    QLineEdit* EditDeviceRating = nullptr;
    QLineEdit* EditNominalVoltage = nullptr;
    QLineEdit* EditPowerFactor = nullptr;
    QLineEdit* EditAllowedDrop = nullptr;
    QLineEdit* EditFaultCurrent = nullptr;
    QLineEdit* EditFaultTime = nullptr;
    QLabel* InstallationMessage = nullptr;
    QLabel* NoteLabel = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTableView* SizesGrid = nullptr;
    QChartView* ChartView = nullptr;
    QStatusBar* StatusBar1 = nullptr;

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void BuildControls();
    QGroupBox* BuildInstallationPanel();
    // The panel's fields as they stand, and put into its controls (without reacting to them).
    TIecFields PanelFields() const;
    void SetPanelFields(const TIecFields& fields);
    // Enables what applies to the method and the device.
    void FollowPanelChoices();
    // Takes the panel's fields: inputs, message, kept in the settings, redrawn.
    void ApplyPanel();
    void MethodChanged();
    void RestoreInstallation();
    // The panel's fields are written a moment after the last change (each commit flushes the
    // file to disk, too slow for every field), or with the placement, or as the window goes.
    void KeepInstallation(const TIecFields& fields);
    void SaveInstallation();
    void WriteInstallation(TRegistryIniFile& reg);
    void RestorePlacement();
    // The table's and the note's colours, readable on the window's palette.
    void FollowPalette();
    void SavePlacement();
    // Works the rows out again from the circuit and units held, and redraws.
    void Refresh();
    void ShowPoint(QXYSeries* series, const QPointF& point, bool entered);
    // A text that answers a command goes after a while, or with the next calculation, so that it
    // does not stand beside figures it was not about.
    void SetStatus(const QString& text, bool passing = false);
    void ReportFailure(const QString& message);
    // Asks for a file (suggested in the folder of the last save) and writes it; a failure is
    // reported.
    void SaveAs(const QString& kind, const QString& suffix,
                void (TSizesForm::*write)(const QString& path));

    TSizeTable m_table;
    // The Installation panel's inputs; material, loaded conductors, Ib and length come from the
    // circuit.
    iec::TIecInputs m_installation;
    iec::TMethod m_panelMethod = iec::TMethod::C;
    // Set while the panel's controls are filled in, so that they are not read back half done.
    bool m_fillingPanel = false;
    TIecView m_iec;
    std::optional<TIecFields> m_unsaved;
    QTimer* m_saveTimer = nullptr;
    // The panel's sentences on numbers it could not read, one a line.
    QString m_panelErrors;
    std::optional<TSizesCircuit> m_circuit;
    TSizesUnits m_units;
    bool m_inputsChanged = false;
    // Set when a calculation arrives while the window is hidden: redrawn when shown.
    bool m_stale = false;
    TSizesView m_view;
    bool m_hasView = false;
    QString m_verdict;
    QString m_hoverText;
    QXYSeries* m_hoverSeries = nullptr;
    QString m_saveFolder;
    TSizesModel* m_model = nullptr;
    std::unique_ptr<TSizesChart> m_chart;
    QLabel* m_statusPanel = nullptr;
    QTimer* m_statusTimer = nullptr;
};

} // namespace qv
