// A decoded picture in memory of its own, drawn by stretching: the operations of
// the platform's image class that the preview needs, on GDI+ and a DIB section.
#pragma once
#include <windows.h>

class CImage {
public:
    CImage() noexcept;
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // Releases the picture, if any; the object is null afterwards.
    void Destroy() noexcept;
    // Decodes the file into this (null) object. S_OK when the whole picture was
    // decoded; E_FAIL or E_OUTOFMEMORY otherwise. The file is released on return.
    HRESULT Load(LPCWSTR fileName);
    bool IsNull() const noexcept;
    int GetWidth() const noexcept;
    int GetHeight() const noexcept;
    // The whole picture scaled into (x, y, width, height) of `dest` with `rop`;
    // nothing without a DC or a picture.
    BOOL StretchBlt(HDC dest, int x, int y, int width, int height, DWORD rop = SRCCOPY) const noexcept;

private:
    HBITMAP m_bitmap = nullptr;  // DIB section owning the pixels
    int m_width = 0;
    int m_height = 0;
};
