// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Picture.h"

#include "framework/Bitmap.h"

#include <QString>

#include <map>

namespace {

struct FileFormat {
    std::string Description;
    TPicture::GraphicFactory Factory;
};

std::string LowerExtension(const std::string& extension) {
    return QString::fromStdString(extension).toLower().toStdString();
}

// Made on first use so that registrations from other files' start-up find it ready.
std::map<std::string, FileFormat>& FileFormats() {
    static std::map<std::string, FileFormat> formats{
        {"bmp", {"Bitmaps", [] { return std::make_unique<TBitmap>(); }}}};
    return formats;
}

std::map<int, TPicture::GraphicFactory>& ClipboardFormats() {
    static std::map<int, TPicture::GraphicFactory> formats;
    return formats;
}

std::string ExtensionOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot + 1);
}

} // namespace

std::unique_ptr<TGraphic> CloneGraphic(const TGraphic* graphic) {
    if (!graphic) return nullptr;
    std::unique_ptr<TGraphic> copy = graphic->NewInstance();
    copy->Assign(graphic);
    return copy;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    std::unique_ptr<TGraphic> copy = CloneGraphic(graphic);
    graphic_ = std::move(copy);
    Changed();
}

TBitmap& TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_.get())) {
        graphic_ = std::make_unique<TBitmap>();
        Changed();
    }
    auto& bitmap = static_cast<TBitmap&>(*graphic_);
    // Loading straight into the held bitmap changes the picture as much as assigning it.
    bitmap.OnChange = [this] { Changed(); };
    return bitmap;
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        graphic_.reset();
        Changed();
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this) SetGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        if (graphic != graphic_.get()) SetGraphic(graphic);
    } else {
        RaiseAssignError(source, *this);
    }
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = LowerExtension(ExtensionOf(fileName));
    const auto found = FileFormats().find(extension);
    if (found == FileFormats().end()) {
        throw EInvalidGraphic(Msg::UnknownExtension, {extension});
    }
    // The new graphic replaces the old one only once it has loaded.
    std::unique_ptr<TGraphic> graphic = found->second.Factory();
    graphic->LoadFromFile(fileName);
    graphic_ = std::move(graphic);
    Changed();
}

void TPicture::SaveToFile(const std::string& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

int TPicture::Width() const {
    return graphic_ ? graphic_->Width() : 0;
}
int TPicture::Height() const {
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  GraphicFactory factory) {
    FileFormats()[LowerExtension(extension)] = FileFormat{description, std::move(factory)};
}

void TPicture::UnregisterFileFormat(const std::string& extension) {
    FileFormats().erase(LowerExtension(extension));
}

bool TPicture::SupportsFileExtension(const std::string& extension) {
    return FileFormats().count(LowerExtension(extension)) != 0;
}

std::string TPicture::FileFormatDescription(const std::string& extension) {
    const auto found = FileFormats().find(LowerExtension(extension));
    return found == FileFormats().end() ? std::string() : found->second.Description;
}

void TPicture::RegisterClipboardFormat(int format, GraphicFactory factory) {
    ClipboardFormats()[format] = std::move(factory);
}

void TPicture::UnregisterClipboardFormat(int format) {
    ClipboardFormats().erase(format);
}

bool TPicture::SupportsClipboardFormat(int format) {
    return ClipboardFormats().count(format) != 0;
}
