#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace fotarel::swf {

// Little-endian byte and bit reader over a byte range. Reading past the end
// yields zeros and sets `overrun()`, so callers check once after a record
// instead of after every field.
class BitReader {
public:
    BitReader(const char* data, qint64 size) : d_(reinterpret_cast<const uint8_t*>(data)), size_(size) {}
    explicit BitReader(const QByteArray& bytes) : BitReader(bytes.constData(), bytes.size()) {}

    qint64 pos() const { return pos_; }
    qint64 size() const { return size_; }
    qint64 remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool overrun() const { return overrun_; }
    bool atEnd() const { return pos_ >= size_; }
    const char* here() const { return reinterpret_cast<const char*>(d_ + (pos_ < size_ ? pos_ : size_)); }

    void align() { bitCount_ = 0; }
    void skip(qint64 n)
    {
        align();
        if (n < 0 || n > remaining()) {
            overrun_ = true;
            pos_ = size_;
        } else {
            pos_ += n;
        }
    }
    void seek(qint64 p)
    {
        align();
        if (p < 0 || p > size_) {
            overrun_ = true;
            pos_ = size_;
        } else {
            pos_ = p;
        }
    }

    uint8_t u8()
    {
        align();
        if (pos_ >= size_) {
            overrun_ = true;
            return 0;
        }
        return d_[pos_++];
    }
    uint16_t u16() { uint16_t lo = u8(); return uint16_t(lo | (uint16_t(u8()) << 8)); }
    uint32_t u32() { uint32_t lo = u16(); return lo | (uint32_t(u16()) << 16); }
    int16_t s16() { return int16_t(u16()); }
    int32_t s32() { return int32_t(u32()); }
    double fixed16() { return s32() / 65536.0; }
    double fixed8() { return s16() / 256.0; }
    float f32()
    {
        uint32_t v = u32();
        float f;
        static_assert(sizeof f == sizeof v);
        __builtin_memcpy(&f, &v, sizeof f);
        return f;
    }

    QByteArray bytes(qint64 n)
    {
        align();
        if (n < 0 || n > remaining()) {
            overrun_ = true;
            n = remaining();
        }
        QByteArray out(reinterpret_cast<const char*>(d_ + pos_), n);
        pos_ += n;
        return out;
    }
    QByteArray rest() { return bytes(remaining()); }

    // Null-terminated string; version 6 and later are UTF-8, earlier files
    // use the system code page (GBK on the machines templates come from).
    QString string(int version);

    uint32_t ub(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (bitCount_ == 0) {
                if (pos_ >= size_) {
                    overrun_ = true;
                    return n - i >= 32 ? 0 : v << (n - i);
                }
                bitBuf_ = d_[pos_++];
                bitCount_ = 8;
            }
            --bitCount_;
            v = (v << 1) | ((bitBuf_ >> bitCount_) & 1u);
        }
        return v;
    }
    int32_t sb(int n)
    {
        if (n <= 0)
            return 0;
        uint32_t v = ub(n);
        if (n < 32 && (v & (1u << (n - 1))))
            v |= ~0u << n;
        return int32_t(v);
    }
    double fb(int n) { return sb(n) / 65536.0; }
    bool flag() { return ub(1) != 0; }

private:
    const uint8_t* d_;
    qint64 size_;
    qint64 pos_ = 0;
    uint8_t bitBuf_ = 0;
    int bitCount_ = 0;
    bool overrun_ = false;
};

} // namespace fotarel::swf
