#pragma once

// A label that assistive technology reads as one line of what it shows: its
// lines joined by commas, after its title when it has one ("Artist: Aurora
// Vale"). What it shows is plain text, whatever characters it holds.

#include <QLabel>

class SpokenLabel : public QLabel
{
    Q_OBJECT

public:
    explicit SpokenLabel(QWidget *parent = nullptr);

    // Said before the text, for a value whose title stands elsewhere.
    void setSpokenTitle(const QString &title);

    // What a screen reader says for the label now: nothing while it is empty.
    QString spokenText() const;

private:
    QString title;
};
