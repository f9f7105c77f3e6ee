#pragma once
// The about window: the product's name and version, a picture, who makes it
// and how to reach them, and a short note on using the calculator. Modeless:
// the main window stays usable while it is open.

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvandel::ui {

class w_about : public QWidget {
    Q_OBJECT

public:
    // Builds the window and runs its open handler, which finds the picture
    // below `gs_path` (the working directory when the main window opened).
    explicit w_about(const QString& gs_path, QWidget* parent = nullptr);
    ~w_about() override;

    // Opens the about window through its one reference: makes and shows it
    // centred when the reference is empty, otherwise brings the open one
    // forward. The window deletes itself when closed, which empties the
    // reference. The reference is a plain window pointer, as the application
    // object keeps it.
    static w_about* open(QPointer<QWidget>& reference, const QString& gs_path);

    // The file the picture was asked for: gs_path followed by "\res\about.JPG".
    [[nodiscard]] const QString& picturename() const { return picturename_; }

    // The controls, in creation order. They belong to the window.
    QLabel* st_8 = nullptr;
    QLabel* p_1 = nullptr;
    QLabel* st_5 = nullptr;
    QLabel* st_7 = nullptr;
    QLabel* st_4 = nullptr;
    QLabel* st_6 = nullptr;
    QLabel* shl_1 = nullptr;
    QLineEdit* sle_1 = nullptr;
    QPushButton* cb_1 = nullptr;
    QLabel* st_3 = nullptr;
    QLabel* st_2 = nullptr;
    QLabel* st_1 = nullptr;

private:
    void create_controls();
    void open_handler(const QString& gs_path);
    void show_picture();

    QString picturename_;
};

} // namespace orvandel::ui
