#include "convert/traffic_check_model.h"

#include "widgets/qt_text.h"

#include <QBrush>
#include <QColor>

namespace quorvel::ui {

using quorvel::convert::Problem;
using quorvel::convert::ProblemKind;
using quorvel::convert::Severity;

TrafficCheckModel::TrafficCheckModel(QObject* parent) : QAbstractTableModel(parent) {}

void TrafficCheckModel::showProblems(const std::vector<Problem>* problems)
{
    beginResetModel();
    problems_ = problems;
    endResetModel();
}

int TrafficCheckModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !problems_ ? 0 : int(problems_->size());
}

int TrafficCheckModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficCheckModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Problem& p = problem(index.row());
    const int column = index.column();
    if (role == Qt::BackgroundRole) {
        if (p.severity == Severity::Error) return QBrush(QColor(0xff, 0xdd, 0xdd));
        if (p.severity == Severity::Warning) return QBrush(QColor(0xff, 0xf6, 0xcc));
        return {};
    }
    if (role == Qt::TextAlignmentRole && (column == LineColumn || column == FieldColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == sortRole) {
        switch (column) {
            case SeverityColumn:
                return int(p.severity);  // errors first when ascending
            case LineColumn:
                return qulonglong(p.line);
            case FieldColumn:
                return p.field;
            default:
                break;
        }
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != sortRole) return {};
    switch (column) {
        case SeverityColumn:
            return fromUtf8(quorvel::convert::severityName(p.severity));
        case KindColumn:
            return fromUtf8(quorvel::convert::kindTitle(p.kind));
        case FileColumn:
            return fromUtf8(p.file);
        case LineColumn:
            return p.line > 0 ? QVariant(qulonglong(p.line)) : QVariant(QString());
        case FieldColumn:
            return p.field > 0 ? QVariant(p.field) : QVariant(QString());
        case TextColumn:
            return fromUtf8(p.text);
        case DetailColumn:
            return fromUtf8(p.detail);
        case EffectColumn:
            return fromUtf8(p.effect);
        default:
            return {};
    }
}

QVariant TrafficCheckModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"Severity", "Kind", "File",   "Line",
                                                    "Field",    "Text", "Detail", "Conversion"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

TrafficCheckFilter::TrafficCheckFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(TrafficCheckModel::sortRole);
}

void TrafficCheckFilter::setSeverity(std::optional<Severity> severity)
{
    severity_ = severity;
    invalidateFilter();
}

void TrafficCheckFilter::setKind(std::optional<ProblemKind> kind)
{
    kind_ = kind;
    invalidateFilter();
}

void TrafficCheckFilter::setFile(std::optional<std::string> file)
{
    file_ = std::move(file);
    invalidateFilter();
}

bool TrafficCheckFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = static_cast<const TrafficCheckModel*>(sourceModel());
    const Problem& p = model->problem(sourceRow);
    return (!severity_ || p.severity == *severity_) && (!kind_ || p.kind == *kind_) && (!file_ || p.file == *file_);
}

}  // namespace quorvel::ui
