// Window placement kept in the settings store, one subkey per window named after the window.
#include "settings/QvFormPlacement.h"

#include "settings/QvRegistry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qv {

namespace {

std::int32_t StateCode(const QWidget* window) {
    if (window->isMinimized())
        return 1;
    if (window->isMaximized())
        return 2;
    return 0;
}

Qt::WindowStates StateOf(std::int32_t code, Qt::WindowStates current) {
    current &= ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (code) {
    case 1:
        return current | Qt::WindowMinimized;
    case 2:
        return current | Qt::WindowMaximized;
    default:
        return current;
    }
}

} // namespace

// Width and Height are the window's own (client) size, the pair resize() takes, so a window
// doesn't grow by its frame each time it is saved and restored; Left and Top include the frame,
// the pair move() takes.
void RestoreFormPlacement(QWidget* window, bool restoreVisible, bool restoreSize) {
    if (!window)
        return;
    TRegistryIniFile store(AppRegistryKey());
    RestoreFormPlacement(window, store, restoreVisible, restoreSize);
}

void RestoreFormPlacement(QWidget* window, TRegistryIniFile& store, bool restoreVisible,
                          bool restoreSize) {
    if (!window)
        return;
    const std::string section = window->objectName().toStdString();

    std::int32_t left = store.ReadInt(section, "Left", window->x());
    std::int32_t top = store.ReadInt(section, "Top", window->y());
    std::int32_t width = window->width();
    std::int32_t height = window->height();
    if (restoreSize) {
        width = store.ReadInt(section, "Width", width);
        height = store.ReadInt(section, "Height", height);
    }
    bool visible = window->isVisible();
    if (restoreVisible)
        visible = store.ReadFlag(section, "Visible", false);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int screenWidth = screen->geometry().width();
        const int screenHeight = screen->geometry().height();
        if (left < 0)
            left = 0;
        if (left > screenWidth - 100)
            left = screenWidth - 200;
        if (top < 0)
            top = 0;
        if (top > screenHeight - 100)
            top = screenHeight - 200;
    }
    const std::int32_t state = store.ReadInt(section, "WinState", StateCode(window));

    window->move(left, top);
    if (restoreSize)
        window->resize(width, height);
    window->setWindowState(StateOf(state, window->windowState()));
    if (restoreVisible)
        window->setVisible(visible);
}

bool RestoreDesignedFormPlacement(QWidget* window, bool restoreVisible, bool restoreSize) {
    TRegistryIniFile store(AppRegistryKey());
    return RestoreDesignedFormPlacement(window, store, restoreVisible, restoreSize);
}

bool RestoreDesignedFormPlacement(QWidget* window, TRegistryIniFile& store, bool restoreVisible,
                                  bool restoreSize) {
    // Every value is read before the window is touched, so a failed read leaves it as designed.
    try {
        RestoreFormPlacement(window, store, restoreVisible, restoreSize);
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

void SaveFormPlacement(QWidget* window) {
    if (!window)
        return;
    TRegistryIniFile store(AppRegistryKey());
    SaveFormPlacement(window, store);
}

void SaveFormPlacement(QWidget* window, TRegistryIniFile& store) {
    if (!window)
        return;
    store.BeginUpdate();
    const std::string section = window->objectName().toStdString();
    store.WriteInt(section, "Left", window->x());
    store.WriteInt(section, "Top", window->y());
    store.WriteInt(section, "Width", window->width());
    store.WriteInt(section, "Height", window->height());
    store.WriteFlag(section, "Visible", window->isVisible());
    store.WriteInt(section, "WinState", StateCode(window));
    store.EndUpdate();
}

} // namespace qv
