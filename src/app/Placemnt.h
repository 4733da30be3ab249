// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings component of a window: it restores the window's placement, state and chosen
// control properties from the settings file when the window is shown, saves them when the
// window closes, and holds the window's size limits.
//
// The component is a child of its window and watches the window's events through an event
// filter: Show restores (before the window's own showEvent), Close lets the window's own
// closeEvent decide first and saves only if the window may close. A window that is destroyed
// without a close calls WindowDestroying() first thing in its destructor, before its own
// destroy handler; windows deleted through deleteLater are handled without it.
//
// A window whose dynamic property "Position" holds "poScreenCenter" is centred on its screen
// each time it is shown, after restoring; a restored position switches the property to
// "poDesigned" so that the restored position stays.

#include "app/WindowPlacement.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;
class TIniFile;
class TPropsStorage;

inline constexpr const char* WindowPositionProperty = "Position";
inline constexpr const char* PositionScreenCenter = "poScreenCenter";
inline constexpr const char* PositionDesigned = "poDesigned";

// Size limits of a window, outer size in pixels; 0 sets no limit there.
struct TWinMinMaxInfo {
    int32_t MaxPosLeft = 0;
    int32_t MaxPosTop = 0;
    int32_t MaxSizeHeight = 0;
    int32_t MaxSizeWidth = 0;
    int32_t MaxTrackHeight = 0;
    int32_t MaxTrackWidth = 0;
    int32_t MinTrackHeight = 0;
    int32_t MinTrackWidth = 0;

    bool DefaultMinMaxInfo() const;
    bool operator==(const TWinMinMaxInfo&) const = default;
};

enum TPlacementOption : uint32_t {
    fpState = 1,
    fpPosition = 2,
    fpActiveControl = 4,
};
using TPlacementOptions = uint32_t;

class TFormPlacement : public QObject {
    Q_OBJECT
public:
    explicit TFormPlacement(QWidget* owner);
    ~TFormPlacement() override;

    QWidget* Owner() const { return owner_; }

    bool Active() const { return active_; }
    void SetActive(bool value) { active_ = value; }

    // Empty: the program's file name with ".INI". A name without a directory lives in the
    // user's configuration directory.
    const std::string& IniFileName() const { return iniFileName_; }
    void SetIniFileName(const std::string& value) { iniFileName_ = value; }
    std::string EffectiveIniFileName() const;

    // Empty: the class name of the owning window.
    const std::string& IniSection() const { return iniSection_; }
    void SetIniSection(const std::string& value) { iniSection_ = value; }
    std::string EffectiveIniSection() const;

    const TWinMinMaxInfo& MinMaxInfo() const { return minMaxInfo_; }
    void SetMinMaxInfo(const TWinMinMaxInfo& value);

    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions value) { options_ = value; }

    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);

    // There is no registry on this platform: the settings file is used either way.
    bool UseRegistry() const { return useRegistry_; }
    void SetUseRegistry(bool value) { useRegistry_ = value; }

    std::function<void(QObject* sender)> OnSavePlacement;
    std::function<void(QObject* sender)> OnRestorePlacement;

    void SaveFormPlacement();
    void RestoreFormPlacement();

    // The destroy notification of the owning window: saves when nothing was saved since the
    // last restore. Failures go to the default error report.
    void WindowDestroying();

    bool Restored() const { return restored_; }
    bool Saved() const { return saved_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Extended by the storage with the stored properties; the base calls the events.
    virtual void Save();
    virtual void Restore();

    // The settings object open for the current save or restore, nullptr outside them.
    TIniFile* IniFile() const { return iniFile_; }
    // Where an opened settings object is kept, so nested steps share one.
    TIniFile*& IniFileSlot() { return iniFile_; }

private:
    void SavePlacement();
    // Gives back the placement flags as stored, for the state that follows.
    int32_t RestorePlacement();
    void RestoreState(int32_t flags);
    void FocusStoredControl();
    void ApplySizeLimits();
    bool HandleClose(QEvent* event);

    QPointer<QWidget> owner_;
    bool active_ = true;
    std::string iniFileName_;
    std::string iniSection_;
    TWinMinMaxInfo minMaxInfo_;
    TPlacementOptions options_ = fpState | fpPosition;
    bool preventResize_ = false;
    bool useRegistry_ = false;

    bool restored_ = false;
    bool saved_ = false;
    bool destroying_ = false;
    TIniFile* iniFile_ = nullptr;
    QSize appliedMin_;
    QSize appliedMax_;
};

// A placement component that also keeps a list of control properties, each written
// "Component.Property", stored under the key "Component_Property".
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    explicit TFormStorage(QWidget* owner);
    ~TFormStorage() override;

    // The list as it stands: after binding, entries that are malformed or name no component
    // of the window are gone, and so are the entries of a component that was destroyed.
    std::vector<std::string> StoredProps() const;
    void SetStoredProps(const std::vector<std::string>& entries);

    // Binds the entries to the window's components now; restore and save bind on their own
    // when the list has changed.
    void BindStoredProps();

    void SaveProperties();
    void RestoreProperties();

protected:
    void Save() override;
    void Restore() override;

private:
    struct Entry {
        std::string text;
        std::string propertyName;
        QPointer<QObject> component;
        const QObject* identity = nullptr; // tells the component apart while it is destroyed
    };

    void ComponentDestroyed(QObject* component);
    void ForEachBound(const std::function<void(TPropsStorage&, const Entry&)>& step);

    std::vector<Entry> entries_;
    bool bound_ = false;
};
