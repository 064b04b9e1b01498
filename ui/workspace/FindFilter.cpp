#include "ui/workspace/FindFilter.h"

#include "engine/Row.h"

void FindFilter::Build(Row *root, const QString &text)
{
    m_text = text;
    m_children.clear();
    m_position.clear();
    if (!root || text.isEmpty())
        return;
    // The root row stays whatever it holds: it is the job.
    Collect(root);
    m_position.insert(root, 0);
}

bool FindFilter::Collect(Row *row)
{
    std::vector<Row *> shown;
    for (int i = 0; i < row->ChildCount(); ++i) {
        Row *child = row->Child(i);
        const bool below = child->ChildCount() > 0 && Collect(child);
        if (below || child->Data.Name.contains(m_text, Qt::CaseInsensitive)) {
            m_position.insert(child, int(shown.size()));
            shown.push_back(child);
        }
    }
    if (shown.empty())
        return false;
    m_children.insert(row, std::move(shown));
    return true;
}

bool FindFilter::Visible(const Row *row) const
{
    return !Active() || m_position.contains(row);
}

int FindFilter::VisibleCount(const Row *parent) const
{
    if (!Active())
        return parent->ChildCount();
    auto it = m_children.constFind(parent);
    return it == m_children.cend() ? 0 : int(it->size());
}

Row *FindFilter::VisibleChild(const Row *parent, int position) const
{
    if (!Active())
        return position < parent->ChildCount() ? parent->Child(position) : nullptr;
    auto it = m_children.constFind(parent);
    if (it == m_children.cend() || position >= int(it->size()))
        return nullptr;
    return (*it)[size_t(position)];
}

int FindFilter::Position(const Row *row) const
{
    if (!Active())
        return row->IndexInParent;
    return m_position.value(row, -1);
}
