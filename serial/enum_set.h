#pragma once

#include <cstdint>
#include <initializer_list>

// A set of the members of a small enumeration held as a bit field: member
// with ordinal n is bit n. `Bits` is the unsigned integer that holds the set.
template <typename E, typename Bits>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> members) {
    for (E member : members) Include(member);
  }

  static constexpr TEnumSet FromBits(Bits bits) {
    TEnumSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr Bits ToBits() const { return bits_; }

  constexpr bool Contains(E member) const { return (bits_ & Bit(member)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TEnumSet& Include(E member) {
    bits_ = static_cast<Bits>(bits_ | Bit(member));
    return *this;
  }
  constexpr TEnumSet& Exclude(E member) {
    bits_ = static_cast<Bits>(bits_ & ~Bit(member));
    return *this;
  }

  friend constexpr bool operator==(TEnumSet a, TEnumSet b) = default;
  friend constexpr TEnumSet operator|(TEnumSet a, TEnumSet b) {
    return FromBits(static_cast<Bits>(a.bits_ | b.bits_));
  }
  friend constexpr TEnumSet operator&(TEnumSet a, TEnumSet b) {
    return FromBits(static_cast<Bits>(a.bits_ & b.bits_));
  }

 private:
  static constexpr Bits Bit(E member) {
    return static_cast<Bits>(Bits{1} << static_cast<unsigned>(member));
  }
  Bits bits_ = 0;
};
