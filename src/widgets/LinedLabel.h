#pragma once

// A label whose lines stand a fixed distance apart, so that labels placed
// beside it line up with its lines whatever the font's own line spacing.

#include <QLabel>

class LinedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinedLabel(QWidget *parent = nullptr);

    void setLinePitch(int pixels);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int pitch = 16;
};
