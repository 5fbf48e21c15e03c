#pragma once

// The question asked before the main window when the downloader is found in
// more than one Wine prefix: which one to open. Each prefix is shown with its
// lyrics folder and how many songs that holds.

#include "app/PrefixChoice.h"

#include <QDialog>

#include <optional>

class QDialogButtonBox;
class QTreeWidget;

class PrefixDialog : public QDialog
{
    Q_OBJECT

public:
    // Paths under home are shown from "~".
    PrefixDialog(const QList<PrefixCandidate> &candidates, const QString &home,
                 QWidget *parent = nullptr);

    // The candidate's position in the list as given; none without a choice.
    std::optional<int> chosen() const;

    // Asks, modally; none when the user cancelled.
    static std::optional<int> ask(const QList<PrefixCandidate> &candidates, const QString &home,
                                  QWidget *parent = nullptr);

private:
    QTreeWidget *lstPrefixes = nullptr;
    QDialogButtonBox *buttons = nullptr;
};
