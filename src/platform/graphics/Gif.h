// GIF pictures with their frames. The file's bytes are kept as read and written back unchanged.
#pragma once

#include "platform/graphics/Pictures.h"

enum TGIFDisposalMethod { dmNone, dmNoDisposal, dmBackground, dmPrevious };

struct TGIFFrame {
  // The part of the frame that lies on the screen (nothing else is ever shown).
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Delay = 0;  // hundredths of a second, as the file gives it
  TGIFDisposalMethod Disposal = dmNone;
  bool Transparent = false;
  int TransparentIndex = 0;
  bool Interlaced = false;
  bool HasControl = false;  // a graphic control extension came before the frame
  std::vector<std::uint32_t> ColorMap;  // 0x00RRGGBB, the local map or the global one
  std::vector<std::uint8_t> Indices;    // Width * Height, top-down
};

class TGIFImage : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TGIFImage, TGraphic)
 public:
  TGIFImage();
  ~TGIFImage() override;

  bool GetEmpty() const override { return FFrames.empty(); }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  void SetWidth(int) override;
  void SetHeight(int) override;
  // Transparent when any frame has a transparent colour.
  bool GetTransparent() const override;

  // Frames of zero width or height are kept (as empty frames) so that frame numbers and delays
  // follow the file.
  int FrameCount() const { return static_cast<int>(FFrames.size()); }
  const TGIFFrame& Frame(int index) const { return FFrames.at(static_cast<std::size_t>(index)); }
  // The whole picture as it looks while frame index shows: earlier frames composed with their
  // disposal methods. Untouched pixels are transparent.
  TPixelImage RenderFrame(int index) const;
  // 0 = loop for ever; -1 when the file has no loop extension.
  int LoopCount = -1;
  int BackgroundIndex = 0;
  // The frame Draw shows.
  int CurrentFrame = 0;

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override { return RenderFrame(CurrentFrame); }

 protected:
  bool AssignFrom(const TGraphic* source) override;

 private:
  std::string Encode() const;
  std::vector<TGIFFrame> FFrames;
  std::string FData;
  int FWidth = 0;
  int FHeight = 0;
};
