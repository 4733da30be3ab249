// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryLoader.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "framework/ResourceStream.h"
#include "library/LibraryFormat.h"
#include "picture/DIB.h"
#include "platform/LittleEndian.h"
#include "sound/DXSounds.h"

namespace {

constexpr int kHeaderBytes = 14;
constexpr int kHeaderWordAt = 6;

// Holds a module open for one load and releases it however the load ends.
class ModuleLease {
public:
    explicit ModuleLease(const std::string& path) : handle_(LoadResourceModule(path)) {}
    ~ModuleLease() { FreeResourceModule(handle_); }
    ModuleLease(const ModuleLease&) = delete;
    ModuleLease& operator=(const ModuleLease&) = delete;
    TModuleHandle Handle() const { return handle_; }

private:
    TModuleHandle handle_;
};

std::vector<std::string> ReadNameList(TModuleHandle module, const char* list) {
    TResourceStream stream(module, list, kListType);
    const std::size_t size = static_cast<std::size_t>(stream.Size());
    std::vector<uint8_t> bytes(size);
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(size));
    return SplitNameList(bytes.data(), size);
}

// The selected entry's text; when nothing or an empty entry is selected, entry 0 is.
std::string SelectedName(TNameList& list) {
    if (list.Text().empty()) list.SetItemIndex(0);
    return list.Text();
}

// The buffer to load into. A fresh buffer without a sound yet is fine, since loading makes
// its platform buffer; only a missing buffer object fails, as the buffer's own error.
TDirectSoundBuffer& BufferOf(TDirectSoundBuffer* buffer) {
    return buffer ? *buffer : TDirectSoundBuffer::Require(nullptr);
}

} // namespace

int32_t CycleModulusFromHeader(TStream& stream) {
    uint8_t header[kHeaderBytes];
    stream.ReadBuffer(header, kHeaderBytes);
    const int32_t word = ReadLe16(header + kHeaderWordAt);
    return 255 - word;
}

void LoadStimulusLibrary(const std::string& libraryPath, TLibraryTargets& targets) {
    const int soundIndex = targets.Sounds.ItemIndex();
    const int pictureIndex = targets.Pictures.ItemIndex();
    ModuleLease module(libraryPath);

    targets.Pictures.SetItems(ReadNameList(module.Handle(), kPictureList));
    targets.Sounds.SetItems(ReadNameList(module.Handle(), kSoundList));
    targets.Sounds.SetItemIndex(soundIndex);
    targets.Pictures.SetItemIndex(pictureIndex);
    const std::string soundName = SelectedName(targets.Sounds);
    const std::string pictureName = SelectedName(targets.Pictures);

    {
        TResourceStream sound(module.Handle(), soundName, kSoundType);
        BufferOf(targets.SoundBuffer).LoadFromStream(sound);
    }
    {
        TResourceStream header(module.Handle(), pictureName, RT_BITMAP);
        targets.CycleModulus = CycleModulusFromHeader(header);
    }
    {
        TResourceStream bitmap(module.Handle(), pictureName, RT_BITMAP);
        targets.SourcePicture.Bitmap().ReadPackedDib(bitmap);
    }
    targets.Display.AssignFrom(&targets.SourcePicture);
}

void LoadLibraryPicture(TModuleHandle module, const std::string& name, TDIB& picture,
                        int32_t& cycleModulus) {
    {
        TResourceStream header(module, name, RT_BITMAP);
        cycleModulus = CycleModulusFromHeader(header);
    }
    TResourceStream bitmap(module, name, RT_BITMAP);
    picture.ReadPackedDib(bitmap);
    if (picture.Image().Compressed && !picture.IsEmpty()) picture.ScanLine(0); // expands it
}

void LoadPictureFile(const std::string& fileName, TDIB& display, int32_t& cycleModulus) {
    display.LoadBmpFile(fileName);
    TFileStream file(fileName, TFileMode::fmOpenRead);
    cycleModulus = CycleModulusFromHeader(file);
}

void LoadSoundFile(const std::string& fileName, TDirectSoundBuffer* soundBuffer) {
    BufferOf(soundBuffer).LoadFromFile(fileName);
}
