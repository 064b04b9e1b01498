#pragma once
#include <QLineEdit>

class ResultModel;
class ResultView;

// The find box over a job page's grid (Ctrl+F): the grid shows only the rows whose name
// contains the text, with their folders, within the view chosen by the results filter.
class FindBar : public QLineEdit {
    Q_OBJECT

public:
    // Ctrl+F anywhere in shortcutScope puts the focus here.
    FindBar(ResultModel &model, ResultView &view, QWidget *shortcutScope, QWidget *parent = nullptr);

private:
    void Find(const QString &text);

    ResultModel &m_model;
    ResultView &m_view;
};
