#pragma once
// OccupiedSlots: the slots below a count that hold something, each with its index, in slot
// order. The list of touch screens offers its slots this way, so that every loop over them
// skips an empty slot and stops at the list's end alike:
//
//   for (const auto [slot, device] : list.occupied()) ...
#include <memory>

template <typename T>
class OccupiedSlots {
public:
  struct Slot {
    int index;
    T& item;
  };

  class Iterator {
  public:
    Iterator(const std::shared_ptr<T>* slots, int index, int end) : m_pSlots(slots), m_nIndex(index), m_nEnd(end) {
      SkipEmpty();
    }
    Slot operator*() const { return Slot{m_nIndex, *m_pSlots[m_nIndex]}; }
    Iterator& operator++() {
      ++m_nIndex;
      SkipEmpty();
      return *this;
    }
    bool operator==(const Iterator& other) const { return m_nIndex == other.m_nIndex; }

  private:
    void SkipEmpty() {
      while (m_nIndex < m_nEnd && !m_pSlots[m_nIndex]) ++m_nIndex;
    }
    const std::shared_ptr<T>* m_pSlots;
    int m_nIndex;
    int m_nEnd;
  };

  // Slots 0 .. count - 1 of `slots`; a negative count is none.
  OccupiedSlots(const std::shared_ptr<T>* slots, int count) : m_pSlots(slots), m_nCount(count < 0 ? 0 : count) {}
  Iterator begin() const { return Iterator(m_pSlots, 0, m_nCount); }
  Iterator end() const { return Iterator(m_pSlots, m_nCount, m_nCount); }

private:
  const std::shared_ptr<T>* m_pSlots;
  int m_nCount;
};
