#pragma once
#include <QProxyStyle>

// Draws a password edit's hidden characters as "*", whatever the platform's style uses.
class StarPasswordStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
