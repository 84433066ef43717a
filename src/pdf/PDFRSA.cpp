#include "pdf/PDFRSA.h"

#include <algorithm>

#include "pdf/PDFCertKey.h"

// ---- unsigned integers ----------------------------------------------------------------------

void TBigUnsigned::Trim() {
  while (!FWords.empty() && FWords.back() == 0) FWords.pop_back();
}

TBigUnsigned TBigUnsigned::FromBytes(std::string_view b) {
  TBigUnsigned r;
  r.FWords.assign((b.size() + 3) / 4, 0);
  for (std::size_t i = 0; i < b.size(); ++i) {
    std::size_t bit = 8 * (b.size() - 1 - i);
    r.FWords[bit / 32] |= std::uint32_t(static_cast<unsigned char>(b[i])) << (bit % 32);
  }
  r.Trim();
  return r;
}

std::string TBigUnsigned::ToBytes(std::size_t minLength) const {
  std::size_t n = std::max(ByteLength(), minLength);
  std::string out(n, '\0');
  for (std::size_t i = 0; i < ByteLength(); ++i)
    out[n - 1 - i] = static_cast<char>(FWords[i / 4] >> (8 * (i % 4)));
  return out;
}

std::size_t TBigUnsigned::BitLength() const {
  if (FWords.empty()) return 0;
  return 32 * (FWords.size() - 1) + (32 - static_cast<std::size_t>(__builtin_clz(FWords.back())));
}

bool TBigUnsigned::Bit(std::size_t i) const {
  return i / 32 < FWords.size() && (FWords[i / 32] >> (i % 32)) & 1;
}

int TBigUnsigned::Compare(const TBigUnsigned& o) const {
  if (FWords.size() != o.FWords.size()) return FWords.size() < o.FWords.size() ? -1 : 1;
  for (std::size_t i = FWords.size(); i-- > 0;)
    if (FWords[i] != o.FWords[i]) return FWords[i] < o.FWords[i] ? -1 : 1;
  return 0;
}

TBigUnsigned TBigUnsigned::Add(const TBigUnsigned& a, const TBigUnsigned& b) {
  TBigUnsigned r;
  const std::size_t n = std::max(a.FWords.size(), b.FWords.size());
  r.FWords.resize(n + 1);
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    carry += std::uint64_t(i < a.FWords.size() ? a.FWords[i] : 0) + (i < b.FWords.size() ? b.FWords[i] : 0);
    r.FWords[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
  r.FWords[n] = static_cast<std::uint32_t>(carry);
  r.Trim();
  return r;
}

TBigUnsigned TBigUnsigned::Sub(const TBigUnsigned& a, const TBigUnsigned& b) {
  TBigUnsigned r = a;
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < r.FWords.size(); ++i) {
    std::int64_t d = std::int64_t(r.FWords[i]) - (i < b.FWords.size() ? b.FWords[i] : 0) - borrow;
    borrow = d < 0;
    r.FWords[i] = static_cast<std::uint32_t>(d + (borrow << 32));
  }
  r.Trim();
  return r;
}

TBigUnsigned TBigUnsigned::Mul(const TBigUnsigned& a, const TBigUnsigned& b) {
  TBigUnsigned r;
  if (a.IsZero() || b.IsZero()) return r;
  r.FWords.assign(a.FWords.size() + b.FWords.size(), 0);
  for (std::size_t i = 0; i < a.FWords.size(); ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < b.FWords.size(); ++j) {
      carry += std::uint64_t(a.FWords[i]) * b.FWords[j] + r.FWords[i + j];
      r.FWords[i + j] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    r.FWords[i + b.FWords.size()] = static_cast<std::uint32_t>(carry);
  }
  r.Trim();
  return r;
}

TBigUnsigned TBigUnsigned::ShiftLeft(std::size_t bits) const {
  if (IsZero()) return *this;
  TBigUnsigned r;
  const std::size_t words = bits / 32, rest = bits % 32;
  r.FWords.assign(FWords.size() + words + 1, 0);
  for (std::size_t i = 0; i < FWords.size(); ++i) {
    r.FWords[i + words] |= FWords[i] << rest;
    if (rest) r.FWords[i + words + 1] |= FWords[i] >> (32 - rest);
  }
  r.Trim();
  return r;
}

// Remainder by shifting and subtracting, one bit at a time from the top: used only outside the
// exponentiation (reductions of inputs and results), so its simplicity costs nothing.
TBigUnsigned TBigUnsigned::Mod(const TBigUnsigned& a, const TBigUnsigned& m) {
  if (m.IsZero()) throw EPDFException(std::string_view("RSA Error"));
  if (a < m) return a;
  TBigUnsigned r;
  for (std::size_t i = a.BitLength(); i-- > 0;) {
    r = r.ShiftLeft(1);
    if (a.Bit(i)) {
      if (r.FWords.empty()) r.FWords.push_back(0);
      r.FWords[0] |= 1;
    }
    if (!(r < m)) r = Sub(r, m);
  }
  return r;
}

namespace {

// Montgomery arithmetic modulo an odd n of k words: a * b * R^-1 mod n with R = 2^(32k).
struct TMontgomery {
  std::vector<std::uint32_t> N;
  std::uint32_t NInv = 0;  // -n^-1 mod 2^32
  std::size_t K = 0;

  explicit TMontgomery(const TBigUnsigned& n) : N(n.Words()), K(n.Words().size()) {
    std::uint32_t inv = 1;  // Newton's iteration for n^-1 mod 2^32
    for (int i = 0; i < 5; ++i) inv *= 2 - N[0] * inv;
    NInv = 0u - inv;
  }

  // a and b have K words each, both below n.
  std::vector<std::uint32_t> Mul(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) const {
    std::vector<std::uint32_t> t(K + 2, 0);
    for (std::size_t i = 0; i < K; ++i) {
      std::uint64_t c = 0;
      for (std::size_t j = 0; j < K; ++j) {
        c += std::uint64_t(a[j]) * b[i] + t[j];
        t[j] = static_cast<std::uint32_t>(c);
        c >>= 32;
      }
      c += t[K];
      t[K] = static_cast<std::uint32_t>(c);
      t[K + 1] = static_cast<std::uint32_t>(c >> 32);
      const std::uint32_t m = t[0] * NInv;
      c = (std::uint64_t(m) * N[0] + t[0]) >> 32;
      for (std::size_t j = 1; j < K; ++j) {
        c += std::uint64_t(m) * N[j] + t[j];
        t[j - 1] = static_cast<std::uint32_t>(c);
        c >>= 32;
      }
      c += t[K];
      t[K - 1] = static_cast<std::uint32_t>(c);
      t[K] = t[K + 1] + static_cast<std::uint32_t>(c >> 32);
    }
    // t < 2n: subtract n once when needed.
    bool geq = t[K] != 0;
    if (!geq) {
      geq = true;
      for (std::size_t i = K; i-- > 0;)
        if (t[i] != N[i]) {
          geq = t[i] > N[i];
          break;
        }
    }
    if (geq) {
      std::int64_t borrow = 0;
      for (std::size_t i = 0; i < K; ++i) {
        std::int64_t d = std::int64_t(t[i]) - N[i] - borrow;
        borrow = d < 0;
        t[i] = static_cast<std::uint32_t>(d + (borrow << 32));
      }
    }
    t.resize(K);
    return t;
  }
};

std::vector<std::uint32_t> Padded(const TBigUnsigned& v, std::size_t k) {
  std::vector<std::uint32_t> w = v.Words();
  w.resize(k, 0);
  return w;
}

}  // namespace

TBigUnsigned TBigUnsigned::ModPow(const TBigUnsigned& base, const TBigUnsigned& exp, const TBigUnsigned& m) {
  if (m.IsZero()) throw EPDFException(std::string_view("RSA Error"));
  if (m == TBigUnsigned(1)) return TBigUnsigned();
  const TBigUnsigned b = Mod(base, m);
  if (!m.IsOdd()) {
    TBigUnsigned r(1);
    for (std::size_t i = exp.BitLength(); i-- > 0;) {
      r = Mod(Mul(r, r), m);
      if (exp.Bit(i)) r = Mod(Mul(r, b), m);
    }
    return r;
  }
  const TMontgomery mont(m);
  const std::size_t k = mont.K;
  // Into Montgomery form through R mod m and R^2 mod m.
  const TBigUnsigned rModM = Mod(TBigUnsigned(1).ShiftLeft(32 * k), m);
  const TBigUnsigned r2 = Mod(Mul(rModM, rModM), m);
  std::vector<std::uint32_t> x = Padded(rModM, k);
  const std::vector<std::uint32_t> bm = mont.Mul(Padded(b, k), Padded(r2, k));
  for (std::size_t i = exp.BitLength(); i-- > 0;) {
    x = mont.Mul(x, x);
    if (exp.Bit(i)) x = mont.Mul(x, bm);
  }
  std::vector<std::uint32_t> one(k, 0);
  one[0] = 1;
  TBigUnsigned r;
  r.FWords = mont.Mul(x, one);
  r.Trim();
  return r;
}

// ---- signing --------------------------------------------------------------------------------

std::unique_ptr<TASN1Container> CreateDigestInfo(TOIDs algorithm, std::string_view digest) {
  auto info = std::make_unique<TASN1Container>();
  auto alg = std::make_unique<TASN1Container>();
  alg->Add(TASN1ObjectID::CreateFromID(algorithm));
  alg->Add(std::make_unique<TASN1Null>());
  info->Add(std::move(alg));
  info->Add(std::make_unique<TASN1Data>(asn1OctetString, std::string(digest)));
  return info;
}

std::string RSASign(const TPrivateKey& key, const TASN1Container& digestInfo) {
  const std::string t = digestInfo.WriteToString();
  const TBigUnsigned n = TBigUnsigned::FromBytes(key.Modulus());
  const std::size_t k = n.ByteLength();
  if (k < 11 || k - 11 < t.size())
    throw EPDFSignatureException(std::string_view("Small modulus size for Digital Signature"));
  std::string em;
  em.reserve(k);
  em += '\0';
  em += '\x01';
  em.append(k - t.size() - 3, '\xFF');
  em += '\0';
  em += t;
  const TBigUnsigned m = TBigUnsigned::FromBytes(em);
  if (!(m < n)) throw EPDFException(std::string_view("RSA Error"));

  const TBigUnsigned p = TBigUnsigned::FromBytes(key.Prime1()), q = TBigUnsigned::FromBytes(key.Prime2());
  const TBigUnsigned dP = TBigUnsigned::FromBytes(key.Exponent1()), dQ = TBigUnsigned::FromBytes(key.Exponent2());
  const TBigUnsigned qInv = TBigUnsigned::FromBytes(key.Coeficient());
  TBigUnsigned s;
  if (!p.IsZero() && !q.IsZero() && TBigUnsigned::Mul(p, q) == n) {
    // The Chinese remainder form: two half-size exponentiations.
    const TBigUnsigned m1 = TBigUnsigned::ModPow(m, dP, p), m2 = TBigUnsigned::ModPow(m, dQ, q);
    TBigUnsigned diff;
    if (m2 < m1 || m2 == m1) {
      diff = TBigUnsigned::Sub(m1, m2);
    } else {
      // m1 - m2 taken modulo p as p - ((m2 - m1) mod p).
      TBigUnsigned d = TBigUnsigned::Mod(TBigUnsigned::Sub(m2, m1), p);
      diff = d.IsZero() ? d : TBigUnsigned::Sub(p, d);
    }
    const TBigUnsigned h = TBigUnsigned::Mod(TBigUnsigned::Mul(qInv, diff), p);
    s = TBigUnsigned::Add(m2, TBigUnsigned::Mul(h, q));
  } else {
    // Without the primes, the private exponent alone.
    s = TBigUnsigned::ModPow(m, TBigUnsigned::FromBytes(key.PrivateExponent()), n);
  }
  // As long as the modulus, zeros on the left: readers compare signatures at that length.
  return s.ToBytes(k);
}
