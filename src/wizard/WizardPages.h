#pragma once
// The Macro Wizard's pages, one per kind of script, and the closing page.
// A kind's page appends its lines to the script on Next, or refuses and says
// why.

#include <QWidget>

#include <string>

class CTriggerEdit;
class IFileChooser;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// What the wizard asks of the page of a kind.
class CWizardScriptPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // Appends the page's lines to `script`; false with `refusal` set when
    // what was entered cannot make a script (the script is then untouched).
    virtual bool AppendScript(std::string& script, std::string& refusal) = 0;
};

class CWizardAppPage : public CWizardScriptPage {
    Q_OBJECT
public:
    CWizardAppPage(IFileChooser& chooser, QWidget* parent = nullptr);
    bool AppendScript(std::string& script, std::string& refusal) override;

    QLineEdit* executableEdit = nullptr;
    QLineEdit* parametersEdit = nullptr;
    QPushButton* executableBrowse = nullptr;
    QPushButton* parametersBrowse = nullptr;

private:
    IFileChooser& files;
};

class CWizardCopyPage : public CWizardScriptPage {
    Q_OBJECT
public:
    CWizardCopyPage(IFileChooser& chooser, QWidget* parent = nullptr);
    bool AppendScript(std::string& script, std::string& refusal) override;
    void SelectFiles();
    void SelectFolder();
    void SelectDestination();

    QPushButton* filesButton = nullptr;
    QPushButton* foldersButton = nullptr;
    QPushButton* destinationButton = nullptr;
    QTreeWidget* list = nullptr;
    QLineEdit* destinationEdit = nullptr;

private:
    void InsertAtTop(const std::string& path);
    IFileChooser& files;
};

class CWizardAlertPage : public CWizardScriptPage {
    Q_OBJECT
public:
    explicit CWizardAlertPage(QWidget* parent = nullptr);
    bool AppendScript(std::string& script, std::string& refusal) override;

    QPlainTextEdit* textEdit = nullptr;
};

class CWizardKeysPage : public CWizardScriptPage {
    Q_OBJECT
public:
    explicit CWizardKeysPage(QWidget* parent = nullptr);
    bool AppendScript(std::string& script, std::string& refusal) override;

    QRadioButton* textOption = nullptr;
    QPlainTextEdit* textEdit = nullptr;
    QRadioButton* keysOption = nullptr;
    CTriggerEdit* keysEdit = nullptr;
    QPushButton* clearButton = nullptr;
};

class CWizardDonePage : public QWidget {
    Q_OBJECT
public:
    CWizardDonePage(IFileChooser& chooser, QWidget* parent = nullptr);
    void Fill(const std::string& name, const std::string& scriptFile);
    std::string FileText() const;

    QLabel* nameLabel = nullptr;
    QLineEdit* fileEdit = nullptr;
    QPushButton* browseButton = nullptr;

private:
    IFileChooser& files;
};
