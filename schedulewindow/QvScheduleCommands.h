// The undoable edits of a cable schedule: a field changed, rows inserted, rows deleted, columns
// added.
#pragma once

#include "schedule/QvScheduleSheet.h"

#include <QUndoCommand>

namespace qv {

class TScheduleModel;

class TEditFieldCommand : public QUndoCommand {
  public:
    TEditFieldCommand(TScheduleModel* model, int row, int column, std::string text);
    void redo() override;
    void undo() override;

  private:
    TScheduleModel* m_model;
    int m_row;
    int m_column;
    std::string m_text;
    std::string m_previous;
};

class TInsertRowsCommand : public QUndoCommand {
  public:
    // `what` names the command in the Undo menu ("Add Row", "Paste").
    TInsertRowsCommand(TScheduleModel* model, int position, std::vector<TScheduleRow> rows,
                       const QString& what);
    void redo() override;
    void undo() override;

  private:
    TScheduleModel* m_model;
    int m_position;
    std::vector<TScheduleRow> m_rows;
};

// Columns added at the end of the header (the installation's, to a schedule without them).
class TAppendColumnsCommand : public QUndoCommand {
  public:
    TAppendColumnsCommand(TScheduleModel* model, std::vector<std::string> names,
                          const QString& what);
    void redo() override;
    void undo() override;

  private:
    TScheduleModel* m_model;
    std::vector<std::string> m_names;
};

class TDeleteRowsCommand : public QUndoCommand {
  public:
    // Rows in any order, each once.
    TDeleteRowsCommand(TScheduleModel* model, std::vector<int> rows);
    void redo() override;
    void undo() override;

  private:
    // A run of neighbouring rows: where it starts, how many, and what they held once deleted.
    struct TRun {
        int Position;
        int Count;
        std::vector<TScheduleRow> Rows;
    };
    TScheduleModel* m_model;
    std::vector<TRun> m_runs; // in ascending order of position
};

} // namespace qv
