// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture holder: keeps one graphic of any registered class, loads it from a file by the
// file's extension and hands out copies.

#include "framework/Graphics.h"

#include <functional>
#include <memory>
#include <string>

class TBitmap;

class TPicture : public TPersistent {
public:
    using GraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    const char* ClassName() const override { return "TPicture"; }

    // The held graphic, or nullptr when the holder is empty.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a copy of graphic (nothing for nullptr).
    void SetGraphic(const TGraphic* graphic);
    // The held bitmap; an empty bitmap replaces any graphic that is not one. Loading into it
    // fires OnChange.
    TBitmap& Bitmap();

    // Copies a picture holder's graphic, or a graphic; nullptr empties the holder.
    void Assign(const TPersistent* source);

    // Loads a file by its extension: "bmp" or a registered one.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    int Width() const;
    int Height() const;

    std::function<void()> OnChange;

    // Graphic classes for file extensions (without the dot, any case) and clipboard formats.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   GraphicFactory factory);
    static void UnregisterFileFormat(const std::string& extension);
    static bool SupportsFileExtension(const std::string& extension);
    static std::string FileFormatDescription(const std::string& extension);
    static void RegisterClipboardFormat(int format, GraphicFactory factory);
    static void UnregisterClipboardFormat(int format);
    static bool SupportsClipboardFormat(int format);

private:
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};

// Copies a graphic into a new object of its own class; nullptr for nullptr.
std::unique_ptr<TGraphic> CloneGraphic(const TGraphic* graphic);
