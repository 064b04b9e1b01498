#include "ui/workspace/FindBar.h"

#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QAction>

FindBar::FindBar(ResultModel &model, ResultView &view, QWidget *shortcutScope, QWidget *parent)
    : QLineEdit(parent), m_model(model), m_view(view)
{
    setObjectName(QStringLiteral("Edit_Find"));
    setPlaceholderText(QStringLiteral("Find rows by name (Ctrl+F)"));
    setClearButtonEnabled(true);
    auto *focus = new QAction(this);
    focus->setShortcut(QKeySequence::Find);
    focus->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    shortcutScope->addAction(focus);
    connect(focus, &QAction::triggered, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
    connect(this, &QLineEdit::textChanged, this, &FindBar::Find);
    // The model shows found rows anew (a find, a fill, a sort): every found row in view.
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!text().isEmpty())
            m_view.expandAll();
    });
}

void FindBar::Find(const QString &text)
{
    m_model.SetFindText(text);
    // Found rows are expanded by the reset's handler above; all rows again here.
    if (text.isEmpty())
        m_view.expandAll();
}

