// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Placemnt.h"

#include "app/RXProps.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "framework/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QWidget>
#include <cstdio>
#include <memory>

namespace {

// Keeps a settings object open for one save or restore and forgets it afterwards.
// One save or restore is one update of the file: read once, written at most once.
class OpenIniFile {
public:
    OpenIniFile(TIniFile*& slot, const std::string& fileName) : slot_(slot) {
        if (!slot_) {
            own_ = std::make_unique<TIniFile>(fileName);
            slot_ = own_.get();
        }
        slot_->BeginUpdate();
    }
    // Writes what was gathered; a failure here is the save's failure. Steps done before a
    // failure of the save itself are written all the same.
    void Finish() {
        finished_ = true;
        slot_->EndUpdate();
    }
    ~OpenIniFile() {
        if (!finished_) {
            try {
                slot_->EndUpdate();
            } catch (...) {
                // The failure that ended the save is the one reported.
            }
        }
        if (own_) slot_ = nullptr;
    }
    OpenIniFile(const OpenIniFile&) = delete;
    OpenIniFile& operator=(const OpenIniFile&) = delete;

private:
    TIniFile*& slot_;
    std::unique_ptr<TIniFile> own_;
    bool finished_ = false;
};

std::string ScreenSuffix(const QWidget& window) {
    const QSize size = ScreenSize(window);
    return FormatText(
        "(%dx%d)", {static_cast<long long>(size.width()), static_cast<long long>(size.height())});
}

std::string FourNumbers(int32_t a, int32_t b, int32_t c, int32_t d) {
    return FormatText("%d,%d,%d,%d", {static_cast<long long>(a), static_cast<long long>(b),
                                      static_cast<long long>(c), static_cast<long long>(d)});
}

// The key for the current screen size first, then the one for any screen.
std::string ReadPositionText(TIniFile& ini, const std::string& section, const std::string& key,
                             const std::string& suffix) {
    std::string text = ini.ReadString(section, key + suffix, "");
    if (text.empty()) text = ini.ReadString(section, key, "");
    return text;
}

// The first four words of text, separated by any run of spaces and commas; a missing word or
// one that is no number takes its default.
void ReadFourNumbers(const std::string& text, int32_t* const values[4]) {
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == ','))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != ',')
            ++pos;
        if (start == pos) continue;
        int32_t value = 0;
        if (ParseStoredInteger(text.substr(start, pos - start), value)) *values[i] = value;
    }
}

QObject* FindComponent(QObject& owner, const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    if (QObject* exact = owner.findChild<QObject*>(wanted)) return exact;
    const QList<QObject*> all = owner.findChildren<QObject*>();
    for (QObject* candidate : all) {
        if (candidate->objectName().compare(wanted, Qt::CaseInsensitive) == 0) return candidate;
    }
    return nullptr;
}

// Turns an outer size limit into the client-area limit that Qt takes.
int ClientLimit(int32_t outer, int frame) {
    return std::max(0, outer - frame);
}

} // namespace

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    return *this == TWinMinMaxInfo{};
}

TFormPlacement::TFormPlacement(QWidget* owner) : QObject(owner), owner_(owner) {
    appliedMin_ = QSize(-1, -1);
    appliedMax_ = QSize(-1, -1);
    if (owner) owner->installEventFilter(this);
}

TFormPlacement::~TFormPlacement() {
    if (owner_) owner_->removeEventFilter(this);
}

std::string TFormPlacement::EffectiveIniFileName() const {
    if (!iniFileName_.empty()) return iniFileName_;
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) name.truncate(dot);
    return (name + QStringLiteral(".INI")).toStdString();
}

std::string TFormPlacement::EffectiveIniSection() const {
    if (!iniSection_.empty() || !owner_) return iniSection_;
    return owner_->metaObject()->className();
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo& value) {
    minMaxInfo_ = value;
    ApplySizeLimits();
}

void TFormPlacement::SetPreventResize(bool value) {
    preventResize_ = value;
    ApplySizeLimits();
}

void TFormPlacement::ApplySizeLimits() {
    if (!owner_) return;
    QWidget& window = *owner_;
    const QSize frame = FrameExtent(window);
    const TWinMinMaxInfo& info = minMaxInfo_;

    // A dimension with no limit of ours keeps the window's own limit, unless we set it
    // earlier; then it is given back.
    auto pick = [](int32_t outer, int frameSize, int& applied, int current, int none) {
        if (outer > 0) return applied = ClientLimit(outer, frameSize);
        if (applied >= 0) {
            applied = -1;
            return none;
        }
        return current;
    };
    int minW = 0;
    int minH = 0;
    int maxW = QWIDGETSIZE_MAX;
    int maxH = QWIDGETSIZE_MAX;
    if (preventResize_) {
        minW = maxW = appliedMin_.rwidth() = appliedMax_.rwidth() = window.width();
        minH = maxH = appliedMin_.rheight() = appliedMax_.rheight() = window.height();
    } else {
        minW =
            pick(info.MinTrackWidth, frame.width(), appliedMin_.rwidth(), window.minimumWidth(), 0);
        minH = pick(info.MinTrackHeight, frame.height(), appliedMin_.rheight(),
                    window.minimumHeight(), 0);
        maxW = pick(info.MaxTrackWidth, frame.width(), appliedMax_.rwidth(), window.maximumWidth(),
                    QWIDGETSIZE_MAX);
        maxH = pick(info.MaxTrackHeight, frame.height(), appliedMax_.rheight(),
                    window.maximumHeight(), QWIDGETSIZE_MAX);
    }
    // The maximized size and position are the window manager's to choose on this platform.
    window.setMinimumSize(minW, minH);
    window.setMaximumSize(std::max(maxW, minW), std::max(maxH, minH));
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != owner_.data()) return false;
    switch (event->type()) {
    case QEvent::Show:
        if (event->spontaneous()) break;
        ApplySizeLimits();
        if (active_) Guard([this] { RestoreFormPlacement(); });
        if (owner_->property(WindowPositionProperty).toString() ==
            QLatin1String(PositionScreenCenter)) {
            CenterOnScreen(*owner_);
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // The frame becomes known only after the window is mapped; the outer limits follow it.
        if (preventResize_ || !minMaxInfo_.DefaultMinMaxInfo()) ApplySizeLimits();
        break;
    case QEvent::Close:
        return HandleClose(event);
    case QEvent::DeferredDelete:
        WindowDestroying();
        break;
    default:
        break;
    }
    return false;
}

bool TFormPlacement::HandleClose(QEvent* event) {
    // The window's own close handler decides first whether the window may close; the event
    // goes to it here so that the save can follow its answer.
    QObject* window = owner_.data();
    window->event(event);
    if (event->isAccepted() && active_ && owner_) Guard([this] { SaveFormPlacement(); });
    return true;
}

void TFormPlacement::WindowDestroying() {
    if (!active_ || saved_ || !restored_) return;
    destroying_ = true;
    Guard([this] { SaveFormPlacement(); });
    destroying_ = false;
}

void TFormPlacement::RestoreFormPlacement() {
    if (!owner_) return;
    saved_ = false;
    OpenIniFile open(iniFile_, EffectiveIniFileName());
    const int32_t flags =
        (options_ & fpPosition) ? RestorePlacement() : GetWindowPlacement(*owner_).Flags;
    if (options_ & fpState) RestoreState(flags);
    restored_ = true;
    Restore();
    if (options_ & fpActiveControl) FocusStoredControl();
    open.Finish();
}

int32_t TFormPlacement::RestorePlacement() {
    QWidget& window = *owner_;
    TIniFile& ini = *iniFile_;
    const std::string section = EffectiveIniSection();
    const std::string suffix = ScreenSuffix(window);

    TWindowPlacement placement = GetWindowPlacement(window);
    if (!window.isVisible()) placement.ShowCmd = ShowHidden;
    placement.Flags = ini.ReadInteger(section, "Flags", placement.Flags);

    bool found = false;
    const std::string minMax = ReadPositionText(ini, section, "MinMaxPos", suffix);
    if (!minMax.empty()) {
        found = true;
        int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        int32_t* const values[4] = {&x1, &y1, &x2, &y2};
        ReadFourNumbers(minMax, values);
        placement.MinPosition = QPoint(x1, y1);
        placement.MaxPosition = QPoint(x2, y2);
    }
    const std::string normal = ReadPositionText(ini, section, "NormPos", suffix);
    if (!normal.empty()) {
        found = true;
        const QRect current = window.geometry();
        TPlacementRect& r = placement.Normal;
        r = {current.x(), current.y(), current.x() + current.width(),
             current.y() + current.height()};
        int32_t* const values[4] = {&r.Left, &r.Top, &r.Right, &r.Bottom};
        ReadFourNumbers(normal, values);
    }
    const int32_t pixelsPerInch = ScreenPixelsPerInch(window);
    if (!found || ini.ReadInteger(section, "PixelsPerInch", pixelsPerInch) != pixelsPerInch) {
        return placement.Flags;
    }

    TPlacementRect& r = placement.Normal;
    if (preventResize_ || HasFixedSize(window)) {
        r.Right = static_cast<int32_t>(int64_t{r.Left} + window.width());
        r.Bottom = static_cast<int32_t>(int64_t{r.Top} + window.height());
    }
    if (r.Left >= r.Right) return placement.Flags;
    if (window.property(WindowPositionProperty).toString() == QLatin1String(PositionScreenCenter)) {
        window.setProperty(WindowPositionProperty, QString::fromLatin1(PositionDesigned));
    }
    SetWindowPlacement(window, placement);
    return placement.Flags;
}

void TFormPlacement::RestoreState(int32_t flags) {
    // Neither multi-document frames nor windows placed by the window system exist here, so
    // every window starts normal when the file names no state.
    Qt::WindowStates state = Qt::WindowNoState;
    switch (iniFile_->ReadInteger(EffectiveIniSection(), "ShowCmd", ShowHidden)) {
    case 1:
    case 5:
    case 9:
        state = Qt::WindowNoState;
        break;
    case 2:
    case 6:
    case 7:
        state = Qt::WindowMinimized;
        if (flags & PlacementRestoreToMaximized) state |= Qt::WindowMaximized;
        break;
    case 3:
        state = Qt::WindowMaximized;
        break;
    default:
        break;
    }
    QWidget& window = *owner_;
    const Qt::WindowStates kept = window.windowState() & Qt::WindowActive;
    window.setWindowState(state | kept);
}

void TFormPlacement::FocusStoredControl() {
    const std::string name = iniFile_->ReadString(EffectiveIniSection(), "ActiveControl", "");
    if (name.empty()) return;
    auto* control = owner_->findChild<QWidget*>(QString::fromStdString(name));
    if (control && control->isVisible() && control->isEnabled() &&
        control->focusPolicy() != Qt::NoFocus) {
        control->setFocus();
    }
}

void TFormPlacement::SaveFormPlacement() {
    if (!owner_ || !restored_) return;
    // A failed save counts as the save of this session, so a refused write is reported once
    // at close and not again when the window is destroyed.
    struct MarkSaved {
        bool& saved;
        ~MarkSaved() { saved = true; }
    } mark{saved_};
    OpenIniFile open(iniFile_, EffectiveIniFileName());
    SavePlacement();
    Save();
    open.Finish();
}

void TFormPlacement::SavePlacement() {
    QWidget& window = *owner_;
    TIniFile& ini = *iniFile_;
    const std::string section = EffectiveIniSection();
    const std::string suffix = ScreenSuffix(window);
    const TWindowPlacement placement = GetWindowPlacement(window);

    ini.WriteInteger(section, "Flags", placement.Flags);
    ini.WriteInteger(section, "ShowCmd", placement.ShowCmd);
    ini.WriteInteger(section, "PixelsPerInch", ScreenPixelsPerInch(window));
    const std::string minMax = FourNumbers(placement.MinPosition.x(), placement.MinPosition.y(),
                                           placement.MaxPosition.x(), placement.MaxPosition.y());
    ini.WriteString(section, "MinMaxPos" + suffix, minMax);
    ini.WriteString(section, "MinMaxPos", minMax);
    const TPlacementRect& r = placement.Normal;
    const std::string normal = FourNumbers(r.Left, r.Top, r.Right, r.Bottom);
    ini.WriteString(section, "NormPos" + suffix, normal);
    ini.WriteString(section, "NormPos", normal);
    if (options_ & fpActiveControl) {
        const QWidget* focus = window.focusWidget();
        if (focus && !focus->objectName().isEmpty()) {
            ini.WriteString(section, "ActiveControl", focus->objectName().toStdString());
        }
    }
    ini.WriteBool(section, "Visible", destroying_);
}

void TFormPlacement::Save() {
    // The event comes after the save: what it reads of the file is already written.
    if (iniFile_) iniFile_->UpdateFile();
    if (OnSavePlacement) OnSavePlacement(this);
}

void TFormPlacement::Restore() {
    if (OnRestorePlacement) OnRestorePlacement(this);
}

TFormStorage::TFormStorage(QWidget* owner) : TFormPlacement(owner) {}

TFormStorage::~TFormStorage() = default;

std::vector<std::string> TFormStorage::StoredProps() const {
    std::vector<std::string> list;
    list.reserve(entries_.size());
    for (const Entry& entry : entries_)
        list.push_back(entry.text);
    return list;
}

void TFormStorage::SetStoredProps(const std::vector<std::string>& entries) {
    entries_.clear();
    for (const std::string& text : entries)
        entries_.push_back(Entry{text, {}, {}, nullptr});
    bound_ = false;
}

void TFormStorage::BindStoredProps() {
    QWidget* owner = Owner();
    if (!owner) return;
    std::vector<Entry> kept;
    for (Entry& entry : entries_) {
        const std::size_t dot = entry.text.find('.');
        if (dot == std::string::npos) continue;
        const std::string componentName = TrimBlanks(entry.text.substr(0, dot));
        const std::string propertyName = TrimBlanks(entry.text.substr(dot + 1));
        if (componentName.empty() || propertyName.empty()) continue;
        QObject* component = FindComponent(*owner, componentName);
        if (!component) continue;
        connect(component, &QObject::destroyed, this, &TFormStorage::ComponentDestroyed,
                Qt::UniqueConnection);
        kept.push_back(Entry{entry.text, propertyName, component, component});
    }
    entries_ = std::move(kept);
    bound_ = true;
}

void TFormStorage::ComponentDestroyed(QObject* component) {
    if (!bound_) return;
    std::erase_if(entries_, [component](const Entry& entry) {
        return entry.identity == component || entry.component.isNull();
    });
}

void TFormStorage::ForEachBound(const std::function<void(TPropsStorage&, const Entry&)>& step) {
    if (!bound_) BindStoredProps();
    OpenIniFile open(IniFileSlot(), EffectiveIniFileName());
    TPropsStorage storage(*IniFile(), EffectiveIniSection());
    // A change handler run by a restored value may change the list; walk a copy.
    const std::vector<Entry> snapshot = entries_;
    for (const Entry& entry : snapshot) {
        if (!entry.component) continue;
        storage.SetObject(entry.component);
        step(storage, entry);
    }
    open.Finish();
}

void TFormStorage::SaveProperties() {
    ForEachBound([](TPropsStorage& storage, const Entry& entry) {
        storage.StoreProperty(entry.propertyName);
    });
}

void TFormStorage::RestoreProperties() {
    ForEachBound([](TPropsStorage& storage, const Entry& entry) {
        // One value that cannot be set, or whose change handler fails, must not keep the
        // others from coming back.
        try {
            storage.LoadProperty(entry.propertyName);
        } catch (...) {
        }
    });
}

void TFormStorage::Save() {
    SaveProperties();
    TFormPlacement::Save();
}

void TFormStorage::Restore() {
    RestoreProperties();
    TFormPlacement::Restore();
}
