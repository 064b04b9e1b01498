#pragma once
#include <QHash>
#include <QString>
#include <vector>

struct Row;

// The rows of a tree whose name contains a text (case-insensitive), with the folders above
// them: which children of each row stay visible and at which place. Built once per text;
// holds row addresses, so it is rebuilt whenever the rows are. Interface thread only.
class FindFilter {
public:
    bool Active() const { return !m_text.isEmpty(); }
    const QString &Text() const { return m_text; }
    // An empty text shows every row.
    void Build(Row *root, const QString &text);
    void Clear() { Build(nullptr, QString()); }

    bool Visible(const Row *row) const;
    int VisibleCount(const Row *parent) const;
    Row *VisibleChild(const Row *parent, int position) const;
    // The row's place among its parent's visible children; -1 when hidden.
    int Position(const Row *row) const;

private:
    bool Collect(Row *row);

    QString m_text;
    // For each row with visible children: those children in order.
    QHash<const Row *, std::vector<Row *>> m_children;
    QHash<const Row *, int> m_position;
};
