#pragma once
// The editor's Find and Replace dialog (one dialog, the replace row shown
// only for Replace): next or previous, match case, whole word, wrap around,
// replace, replace all. Modeless; works on one script view.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CFindDlg : public QDialog {
    Q_OBJECT
public:
    CFindDlg(QPlainTextEdit* view, bool replaceMode, QWidget* parent = nullptr);

    void SetReplaceMode(bool replaceMode);
    QLineEdit* FindBox() const { return findBox; }
    QLineEdit* ReplaceBox() const { return replaceBox; }
    QCheckBox* MatchCaseBox() const { return matchCase; }
    QCheckBox* WholeWordBox() const { return wholeWord; }
    QCheckBox* WrapBox() const { return wrap; }

    // Selects the next (or previous) match; false with a note when none.
    bool FindNext(bool backward = false);
    // Replaces the selected match, then finds the next one.
    bool ReplaceOne();
    // Replaces every match as one undo step; returns how many.
    int ReplaceAll();

Q_SIGNALS:
    // Text was replaced (the view's use list may need rebuilding).
    void textReplaced();

private:
    bool SelectionIsMatch() const;
    void Note(const QString& text);

    QPlainTextEdit* view;
    QLineEdit* findBox = nullptr;
    QLineEdit* replaceBox = nullptr;
    QLabel* replaceLabel = nullptr;
    QCheckBox* matchCase = nullptr;
    QCheckBox* wholeWord = nullptr;
    QCheckBox* wrap = nullptr;
    QPushButton* replaceButton = nullptr;
    QPushButton* replaceAllButton = nullptr;
    QLabel* note = nullptr;
};
