// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowListModel.h"

#include "NativePath.h"

RowListModel::RowListModel(QObject *parent) : QAbstractListModel(parent) {}

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RowListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    // Rows have no tooltip of their own: the list's tooltip is shown over them.
    if (role == Qt::DisplayRole)
        return nativepath::display(m_rows.at(index.row())); // a path's own bytes stay in the row
    return {};
}

Qt::ItemFlags RowListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_heading;
    return {};
}

bool RowListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                 int role)
{
    if (section != 0 || orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    m_heading = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void RowListModel::append(const QString &text)
{
    const int row = int(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(text);
    endInsertRows();
}

void RowListModel::appendAll(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(texts.size()) - 1);
    m_rows.append(texts);
    endInsertRows();
}

void RowListModel::removeAt(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void RowListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void RowListModel::setText(int row, const QString &text)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row) == text)
        return;
    m_rows[row] = text;
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DisplayRole});
}
