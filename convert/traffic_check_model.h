// convert/traffic_check_model.h: the problems of a traffic check as a table, and the filter the
// check window puts over it (severity, kind, file). The model reads the check's problems in
// place; sorting goes by sortRole, which gives numbers as numbers and severities worst first.
#pragma once

#include "convert/traffic_check.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <optional>
#include <vector>

namespace quorvel::ui {

class TrafficCheckModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        SeverityColumn,
        KindColumn,
        FileColumn,
        LineColumn,
        FieldColumn,
        TextColumn,
        DetailColumn,
        EffectColumn,
        ColumnCount
    };
    static constexpr int sortRole = Qt::UserRole;

    explicit TrafficCheckModel(QObject* parent = nullptr);
    void showProblems(const std::vector<quorvel::convert::Problem>* problems);  // one reset; nothing: empty
    const quorvel::convert::Problem& problem(int row) const { return (*problems_)[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<quorvel::convert::Problem>* problems_ = nullptr;
};

// Rows of one severity, one kind and one file; each choice unset lets every row through.
class TrafficCheckFilter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TrafficCheckFilter(QObject* parent = nullptr);
    void setSeverity(std::optional<quorvel::convert::Severity> severity);
    void setKind(std::optional<quorvel::convert::ProblemKind> kind);
    void setFile(std::optional<std::string> file);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::optional<quorvel::convert::Severity> severity_;
    std::optional<quorvel::convert::ProblemKind> kind_;
    std::optional<std::string> file_;
};

}  // namespace quorvel::ui
