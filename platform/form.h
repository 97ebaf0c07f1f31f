// Windows of the program: a form with a Tag, its measures in twips, and the registry of open
// forms in the order they were opened.
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

class QMdiArea;

namespace kestle {

class Form;

// The open forms, oldest first; a form is in it from its creation until it is unloaded.
class Windows {
public:
    void add(Form *f) { open_.push_back(f); }
    void remove(Form *f);
    const std::vector<Form *> &open() const { return open_; }
    std::vector<std::string> tags() const;

    QPointer<QMdiArea> mdi; // the main window's client area, for SQL and output windows

private:
    std::vector<Form *> open_;
};

class Form : public QWidget {
    Q_OBJECT
public:
    // A child of the main window's client area when `mdi_child`, else a window of its own.
    Form(Windows &windows, const QString &caption, bool mdi_child);
    ~Form() override;

    std::string tag; // the window's Tag
    Windows &windows() const { return windows_; }

    // The outer window: the client-area frame of a child, else the form itself.
    QWidget *frame();
    int left_twips();
    int top_twips();
    int width_twips();
    int height_twips();
    void move_twips(int left, int top);
    void resize_twips(int width, int height);
    void set_minimum_twips(int width, int height);

    void show_form();
    // Raises the window above the others of the client area and makes it the active one.
    void activate();
    // Hides the window; it stays loaded.
    void hide_form();
    // A child comes wholly inside the client area, shrunk where the area is smaller; it does so
    // by itself when it is shown, and a window resized while open asks for it again.
    void fit_in_client_area();
    void set_caption(const QString &caption);
    // A control at its design place that keeps its design size where the window holds it, and
    // is cut back to end inside the window, by its left margin, where the window is smaller.
    void keep_inside(QWidget *control);
    // Closes the window for good; its unload steps run first.
    void unload();

protected:
    // Makes the window a viewer: shown, it remembers the window then in front of the client
    // area, its opener; hidden or closed while in front itself, it hands the front back to it.
    void open_as_viewer() { viewer_ = true; }
    // The window's own steps when it is unloaded (by unload(), its close box or the program).
    virtual void form_unload() {}
    // The window's layout for its font, which it takes from the main window: run when the font
    // changes, so that every text still fits.
    virtual void fit_to_font() {}
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void remember_opener();
    void return_to_opener();

    Windows &windows_;
    bool mdi_child_;
    bool viewer_ = false;
    QPointer<Form> opener_;
    bool unloading_ = false;
    bool placed_ = false; // given its place by the program rather than by the client area
    std::vector<std::pair<QPointer<QWidget>, QRect>> kept_inside_; // with their design places
};

} // namespace kestle
