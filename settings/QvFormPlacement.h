// Saving and restoring a window's position, size, visibility and state in the registry settings
// store, under AppRegistryKey() in the subkey named after the window's object name.
#pragma once

class QWidget;

namespace qv {

class TRegistryIniFile;

// Applies the saved placement; values that were never saved keep the window's current ones.
// The position is kept on the primary screen. ERegistryException reaches the caller.
void RestoreFormPlacement(QWidget* window, bool restoreVisible, bool restoreSize);
// The same for a window made at start-up, where one stray value must not stop the program: a
// stored value of the wrong kind keeps the whole design placement (false then). The window's
// next save writes the placement back sound.
bool RestoreDesignedFormPlacement(QWidget* window, bool restoreVisible, bool restoreSize);
// The same two from a store the caller holds, so that a window reading more of its settings
// reads the store once.
void RestoreFormPlacement(QWidget* window, TRegistryIniFile& store, bool restoreVisible,
                          bool restoreSize);
bool RestoreDesignedFormPlacement(QWidget* window, TRegistryIniFile& store, bool restoreVisible,
                                  bool restoreSize);
// Writes "Left", "Top", "Width", "Height", "Visible" and "WinState" (0 normal, 1 minimized,
// 2 maximized), in one commit of the store.
void SaveFormPlacement(QWidget* window);
// The same into a store the caller holds, so that other values can join the same commit.
void SaveFormPlacement(QWidget* window, TRegistryIniFile& store);

} // namespace qv
