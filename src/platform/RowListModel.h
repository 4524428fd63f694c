// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The rows of a list view: each row holds only its text, shown as nativepath::display shows it.
// Rows keep the order in which they were appended and may repeat. Positions are 0-based here; the
// window's row numbers are 1-based.
class RowListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit RowListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // The add-to-list operation: appends one row holding exactly this text.
    void append(const QString &text);
    // Appends several rows at once, in order.
    void appendAll(const QStringList &texts);
    void removeAt(int row);
    void clear();

    int count() const { return int(m_rows.size()); }
    const QString &text(int row) const { return m_rows.at(row); }
    void setText(int row, const QString &text);
    const QStringList &texts() const { return m_rows; }
    // True when some row holds exactly this text. The comparison is binary, so paths that differ
    // only in letter case are different rows.
    bool contains(const QString &text) const { return m_rows.contains(text, Qt::CaseSensitive); }

private:
    QStringList m_rows;
    QString m_heading;
};
