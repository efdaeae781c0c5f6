#pragma once
// What the editor window's QtTests share: a file chooser answering from a
// queue, a runner that records, declarations to read and an editor over a
// temporary home folder.

#include "editor/EditorDlg.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "ports/FileChooser.h"

#include <QTemporaryDir>

#include <deque>

namespace {

class CAnsweringFileChooser : public IFileChooser {
public:
    std::vector<std::string> OpenFilesIn(const std::string& filter, bool multiple,
                                         const std::string& folder) override {
        openFolders.push_back(folder);
        return OpenFiles(filter, multiple);
    }
    std::vector<std::string> OpenFiles(const std::string&, bool) override {
        ++opens;
        if (openAnswers.empty())
            return {};
        std::string answer = openAnswers.front();
        openAnswers.pop_front();
        return {answer};
    }
    std::string SaveFile(const std::string&, const std::string&) override {
        ++saves;
        if (saveAnswers.empty())
            return {};
        std::string answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    std::string ChooseFolder(const std::string&) override { return {}; }

    std::deque<std::string> openAnswers;
    std::deque<std::string> saveAnswers;
    int opens = 0;
    std::vector<std::string> openFolders; // where each open dialog started
    int saves = 0;
};

class CRecordingRunner : public IEditorRunner {
public:
    std::string RunScript(const std::string& path, Ended ended) override {
        paths.push_back(path);
        whenEnded = std::move(ended);
        return refusal;
    }
    std::vector<std::string> paths;
    Ended whenEnded;     // the last run's end
    std::string refusal; // what RunScript says; "" starts the run
};

const char* const kDecs =
    "[ ]Window \"App\"\n\t( )Tag=\"App title\"\n\t( )Class=\"AppClass\"\n\t( )Parent=1\n\t( "
    ")Child=0\n"
    "\t[ ]Button \"Ok\"\n\t\t( )Tag=7\n\t\t( )Class=\"Button\"\n\t\t( )Parent=0\n\t\t( )Child=1\n";

// `boxes` and `chooser`, when given, stand in for the recording ones (the
// desktop's own, say).
struct Fixture {
    explicit Fixture(IMessageBox* boxes = nullptr, IFileChooser* chooser = nullptr) {
        home = dir.path().toStdString();
        EditorServices services(boxes ? *boxes : messages, chooser ? *chooser : files);
        services.home = home;
        services.runner = &runner;
        editor = new CEditorDlg(services);
        editor->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    ~Fixture() { delete editor; }
    std::string Path(const std::string& name) const { return home + "/" + name; }
    bool Open(const std::string& name, const std::string& bytes) {
        WriteFile(Path(name), bytes);
        editor->SetPathToLoad(Path(name));
        return editor->Load();
    }

    QTemporaryDir dir;
    std::string home;
    CRecordingMessageBox messages;
    CAnsweringFileChooser files;
    CRecordingRunner runner;
    CEditorDlg* editor = nullptr;
};

} // namespace
