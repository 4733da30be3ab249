// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Graphics.h"

#include "framework/Streams.h"

void RaiseAssignError(const TPersistent* source, const TPersistent& target) {
    const std::string from = source ? source->ClassName() : "nil";
    throw EConvertError(Msg::CannotAssign, {from, std::string(target.ClassName())});
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    graphic.DrawStretched(*this, QRect(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const QRect& rect, TGraphic& graphic) {
    graphic.DrawStretched(*this, rect);
}

void TGraphic::Assign(const TPersistent* source) {
    RaiseAssignError(source, *this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmCreate);
    SaveToStream(stream);
}

bool TGraphic::Equals(TGraphic& other) {
    if (this == &other) return true;
    if (IsEmpty() != other.IsEmpty()) return false;
    TMemoryStream mine;
    TMemoryStream theirs;
    SaveToStream(mine);
    other.SaveToStream(theirs);
    return mine.Bytes() == theirs.Bytes();
}
