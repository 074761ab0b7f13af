#pragma once

#include <QWidget>

#include <vector>

class BookDownloads;
class QComboBox;
class QLineEdit;
class QTableView;
class TsuiButton;

// "下载任务": the downloads of this run, one row a book, in a window of its own in the
// deep-blue skin. Above the list, where new books go and how they are encoded;
// below it, what can be done with the selected rows. It comes up, without taking
// the focus, whenever a book is added or asked for again; closing it only hides it.
class DownloadsWindow : public QWidget {
    Q_OBJECT

public:
    // Placed beside the window beside when it is first shown.
    DownloadsWindow(BookDownloads& downloads, QWidget& beside);

    // Shows the window and gives it the focus.
    void Present();
    // Shows the window as it is, and row in it, selected.
    void ShowRow(int row);

    QTableView& List() const { return *list_; }

private:
    void Appear();
    void PlaceBesideMainWindow();
    void ChangeFolder();
    void ShowFolder();
    void UpdateButtons();
    std::vector<int> SelectedRows() const;
    void CancelSelected();
    void RetrySelected();
    void OpenSelectedFiles();
    void OpenSelectedFolders();
    void OpenSelectedPages();

    BookDownloads& downloads_;
    QWidget& beside_;
    bool placed_ = false;
    QLineEdit* folder_;
    TsuiButton* changeFolder_;
    QComboBox* encoding_;
    QTableView* list_;
    TsuiButton* cancel_;
    TsuiButton* retry_;
    TsuiButton* openFile_;
    TsuiButton* openFolder_;
    TsuiButton* openPage_;
};
