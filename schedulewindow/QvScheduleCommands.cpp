// The undoable edits of a cable schedule (see QvScheduleCommands.h).
#include "schedulewindow/QvScheduleCommands.h"

#include "schedulewindow/QvScheduleModel.h"

#include <algorithm>

namespace qv {

TEditFieldCommand::TEditFieldCommand(TScheduleModel* model, int row, int column, std::string text)
    : m_model(model), m_row(row), m_column(column), m_text(std::move(text)),
      m_previous(model->Field(row, column)) {
    setText(QStringLiteral("Edit %1").arg(
        model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
}

void TEditFieldCommand::redo() {
    m_model->SetField(m_row, m_column, m_text);
}

void TEditFieldCommand::undo() {
    m_model->SetField(m_row, m_column, m_previous);
}

TInsertRowsCommand::TInsertRowsCommand(TScheduleModel* model, int position,
                                       std::vector<TScheduleRow> rows, const QString& what)
    : m_model(model), m_position(position), m_rows(std::move(rows)) {
    setText(what);
}

void TInsertRowsCommand::redo() {
    m_model->InsertRows(m_position, m_rows);
}

void TInsertRowsCommand::undo() {
    m_model->TakeRows(m_position, static_cast<int>(m_rows.size()));
}

TAppendColumnsCommand::TAppendColumnsCommand(TScheduleModel* model, std::vector<std::string> names,
                                             const QString& what)
    : m_model(model), m_names(std::move(names)) {
    setText(what);
}

void TAppendColumnsCommand::redo() {
    m_model->AppendColumns(m_names);
}

void TAppendColumnsCommand::undo() {
    m_model->RemoveLastColumns(m_names.size());
}

TDeleteRowsCommand::TDeleteRowsCommand(TScheduleModel* model, std::vector<int> rows)
    : m_model(model) {
    setText(rows.size() == 1 ? QStringLiteral("Delete Row") : QStringLiteral("Delete Rows"));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] + 1)
            ++j;
        m_runs.push_back({rows[i], static_cast<int>(j - i), {}});
        i = j;
    }
}

void TDeleteRowsCommand::redo() {
    // From the last run back, so that the earlier positions still hold.
    for (auto run = m_runs.rbegin(); run != m_runs.rend(); ++run)
        run->Rows = m_model->TakeRows(run->Position, run->Count);
}

void TDeleteRowsCommand::undo() {
    for (TRun& run : m_runs)
        m_model->InsertRows(run.Position, std::move(run.Rows));
}

} // namespace qv
