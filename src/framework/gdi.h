#pragma once
// Owners for drawing: GDI objects deleted once, selections put back, device contexts released
// the way they were obtained. Each restores or frees what it holds when it goes out of scope.
#include <windows.h>

#include "base/scoped_handle.h"

namespace scoped_handle_traits {
template <typename T>
struct GdiObject {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle object) { return ::DeleteObject(object) != FALSE; }
};
struct CreatedDC {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle dc) { return ::DeleteDC(dc) != FALSE; }
};
struct Icon {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle icon) { return ::DestroyIcon(icon) != FALSE; }
};
}  // namespace scoped_handle_traits

// A device context this code created with CreateDC: deleted with its owner.
using ScopedDisplayDC = ScopedHandleOf<scoped_handle_traits::CreatedDC>;

// An icon this code loaded with LoadImage (not a shared one): destroyed with its owner.
using ScopedIcon = ScopedHandleOf<scoped_handle_traits::Icon>;

// A brush, font, pen or bitmap this code created: deleted with its owner, moved not copied.
// It must no longer be selected into a device context when it goes. Passed as the object
// itself to the drawing calls.
template <typename T>
class GdiObject : public ScopedHandleOf<scoped_handle_traits::GdiObject<T>> {
public:
  using ScopedHandleOf<scoped_handle_traits::GdiObject<T>>::ScopedHandleOf;
  operator T() const { return this->get(); }
};

using ScopedBrush = GdiObject<HBRUSH>;
using ScopedFont = GdiObject<HFONT>;
using ScopedPen = GdiObject<HPEN>;
using ScopedBitmap = GdiObject<HBITMAP>;

// Selects an object into a device context and puts the previous one back at the end of the
// scope. A null object selects nothing.
class SelectionScope {
public:
  SelectionScope(HDC dc, HGDIOBJ object) : m_hDC(dc), m_hOld(object ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectionScope() {
    if (m_hOld) ::SelectObject(m_hDC, m_hOld);
  }
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;

  // Selects another object of the same kind; the one in place at the start still comes back.
  void Select(HGDIOBJ object) { ::SelectObject(m_hDC, object); }

private:
  HDC m_hDC;
  HGDIOBJ m_hOld;
};

// A window's device context (GetDC), released at the end of the scope.
class ClientDC {
public:
  explicit ClientDC(HWND window) : m_hWnd(window), m_hDC(::GetDC(window)) {}
  ~ClientDC() {
    if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  operator HDC() const { return m_hDC; }

private:
  HWND m_hWnd;
  HDC m_hDC;
};

// The painting of a WM_PAINT: BeginPaint here, EndPaint at the end of the scope.
class PaintDC {
public:
  explicit PaintDC(HWND window) : m_hWnd(window), m_hDC(::BeginPaint(window, &m_paint)) {}
  ~PaintDC() { ::EndPaint(m_hWnd, &m_paint); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  operator HDC() const { return m_hDC; }
  const PAINTSTRUCT& paint() const { return m_paint; }

private:
  HWND m_hWnd;
  PAINTSTRUCT m_paint{};
  HDC m_hDC;
};

// A memory device context compatible with `dc` (CreateCompatibleDC), deleted at the end of the
// scope.
class MemoryDC {
public:
  explicit MemoryDC(HDC dc) : m_hDC(::CreateCompatibleDC(dc)) {}
  ~MemoryDC() {
    if (m_hDC) ::DeleteDC(m_hDC);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  operator HDC() const { return m_hDC; }

private:
  HDC m_hDC;
};
