// SPDX-License-Identifier: GPL-3.0-or-later
// BMP files, packed DIBs, clipboard data and the registration of TDIB as a picture format.
#include "picture/DIB.h"

#include "framework/Picture.h"
#include "framework/Streams.h"
#include "picture/GlobalMemoryStream.h"

#include <cstring>

TDIBSharedImage::Ptr TDIBSharedImage::CreateFromPackedDib(TStream& stream, bool plainMemory,
                                                          int64_t pixelStart) {
    // The header reader has checked the format and that the stream holds every pixel byte, so
    // nothing below allocates for data that isn't there.
    const TDibHeader h = ReadDibHeader(stream, pixelStart);
    if (h.Empty) return CreateEmpty();
    const TPixelFormat format = PixelFormatFromMasks(h.Masks[0], h.Masks[1], h.Masks[2]);
    Ptr image =
        CreateBlank(h.Width, h.Height, h.BitCount, format, h.Colors, plainMemory, h.Compressed());
    if (h.Compressed()) {
        image->SetImageSize(h.ImageSize);
        image->AllocatePixels(h.ImageSize);
        stream.ReadBuffer(image->PixelBlock(), h.ImageSize);
    } else {
        ReadDibRows(stream, h, image->PixelBlock());
    }
    return image;
}

void TDIB::LoadBmpStream(TStream& stream) {
    const std::optional<int64_t> pixelStart = ReadBmpFileHeader(stream);
    if (!pixelStart) return;
    SetImage(TDIBSharedImage::CreateFromPackedDib(stream, image_->PlainMemory, *pixelStart));
}

void TDIB::ReadPackedDib(TStream& stream) {
    SetImage(TDIBSharedImage::CreateFromPackedDib(stream, image_->PlainMemory));
}

void TDIB::SaveBmpStream(TStream& stream) {
    if (IsEmpty()) return;
    WriteBmpFileHeader(stream, static_cast<int64_t>(image_->BitmapInfo.size()),
                       image_->ImageSize());
    WritePackedDib(stream);
}

void TDIB::WritePackedDib(TStream& stream) {
    if (IsEmpty()) return;
    stream.WriteBuffer(image_->BitmapInfo.data(), static_cast<int64_t>(image_->BitmapInfo.size()));
    stream.WriteBuffer(image_->PixelBlock(), image_->ImageSize());
}

void TDIB::SaveToClipboardData(int& format, HGLOBAL& data, HPALETTE& palette) {
    TMemoryStream packed;
    WritePackedDib(packed);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, packed.Bytes().size());
    if (!block) throw EOutOfMemory(Msg::OutOfMemory);
    if (!packed.Bytes().empty())
        std::memcpy(GlobalLock(block), packed.Memory(), packed.Bytes().size());
    else
        GlobalLock(block);
    GlobalUnlock(block);
    format = ClipboardFormat;
    data = block;
    palette = nullptr;
}

void TDIB::LoadFromClipboardData(int, HGLOBAL data) {
    TGlobalMemoryStream stream(data);
    ReadPackedDib(stream);
}

namespace {

// Registers TDIB with the picture holder while the program runs.
struct TDIBRegistration {
    TDIBRegistration() {
        TPicture::RegisterFileFormat("dib", "Device Independent Bitmap",
                                     [] { return std::make_unique<TDIB>(); });
        TPicture::RegisterClipboardFormat(TDIB::ClipboardFormat,
                                          [] { return std::make_unique<TDIB>(); });
    }
    ~TDIBRegistration() {
        TPicture::UnregisterFileFormat("dib");
        TPicture::UnregisterClipboardFormat(TDIB::ClipboardFormat);
    }
} registration;

} // namespace
