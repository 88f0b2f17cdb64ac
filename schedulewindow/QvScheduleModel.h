// TScheduleModel: the cable schedule as a table model. One row per circuit; the columns are the
// header's kept input columns in file order, then the results (the installation standard's too,
// when the header has a Method column). Every row is sized again the
// moment one of its fields changes, with the same sizer the command-line program uses.
#pragma once

#include "schedule/QvScheduleSheet.h"

#include <QAbstractTableModel>

#include <memory>

class QUndoStack;

namespace qv {

class TScheduleModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit TScheduleModel(QObject* parent = nullptr);
    ~TScheduleModel() override;

    // The sizer every row is sized with; setting another sizes every row again.
    void SetSizer(std::shared_ptr<const TScheduleSizer> sizer);
    const TScheduleSizer& Sizer() const { return *m_sizer; }
    std::shared_ptr<const TScheduleSizer> SharedSizer() const { return m_sizer; }

    // Replaces the whole schedule.
    void Reset(std::vector<std::string> header, TScheduleLayout layout,
               std::vector<TScheduleRow> rows);
    // An empty schedule with the default header.
    void Clear();

    const std::vector<std::string>& Header() const { return m_header; }
    const TScheduleLayout& Layout() const { return m_layout; }
    const std::vector<TScheduleRow>& Rows() const { return m_rows; }

    // What a shown column holds: an input column, TColumn::Other, or a result column.
    TColumn ColumnKind(int column) const;
    // The shown column of a kind; -1 when the schedule has none.
    int ColumnOfKind(TColumn kind) const;
    bool IsInputColumn(int column) const;

    // The edits themselves, as the undo commands make them. Each row changed is sized again.
    void SetField(int row, int column, const std::string& text);
    std::string Field(int row, int column) const;
    // Inserts rows (their results are worked out afresh) before `position`.
    void InsertRows(int position, std::vector<TScheduleRow> rows);
    // Removes `count` rows from `position` and hands them back.
    std::vector<TScheduleRow> TakeRows(int position, int count);

    // Appends columns with these names to the header, empty in every row, so that a schedule
    // can take inputs its file has no column for; RemoveLastColumns takes the last ones off
    // again with what their cells hold. Each row is sized again.
    void AppendColumns(const std::vector<std::string>& names);
    void RemoveLastColumns(std::size_t count);

    // Tab-separated text of rows for a spreadsheet: the shown columns, results as the CSV has
    // them; with `header`, the column titles first.
    std::string TabText(const std::vector<int>& rows, bool header = false) const;

    int NotSolvedCount() const { return m_notSolved; }
    int ErrorCount() const { return m_errors; }
    // The same of the answers to the installation standard.
    int IecNotSolvedCount() const { return m_iecNotSolved; }
    int IecErrorCount() const { return m_iecErrors; }

    // Edits made through the view go onto this stack as undoable commands; without one they
    // apply at once.
    void SetUndoStack(QUndoStack* stack) { m_undo = stack; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  signals:
    // The number of rows, or of rows not solved or in error, changed.
    void CountsChanged();

  private:
    void KeepKinds();
    std::size_t FieldPosition(int column) const;
    void Count(const TRowResult& result, int sign);
    void Recount();
    void SizeRow(TScheduleRow& row) const;
    // Ends a reset that changed the columns: takes the header and sizes every row by it.
    void TakeHeader(std::vector<std::string> header, TScheduleLayout layout);

    std::shared_ptr<const TScheduleSizer> m_sizer;
    std::vector<std::string> m_header;
    TScheduleLayout m_layout;
    // The kind of each kept column, worked out once per header: every cell painted asks.
    std::vector<TColumn> m_keptKinds;
    // The result columns: the circuit's own, then the standard's beside a Method column.
    std::vector<TColumn> m_resultKinds;
    std::vector<TScheduleRow> m_rows;
    int m_notSolved = 0;
    int m_errors = 0;
    int m_iecNotSolved = 0;
    int m_iecErrors = 0;
    QUndoStack* m_undo = nullptr;
};

} // namespace qv
