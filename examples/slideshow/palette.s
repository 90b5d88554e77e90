; The pens of an item. Tilvex's palette entry 16 p + 4 q + s (palette p, colour 4 q + s of
; it) is pen 32 q + 4 p + s: in 16 colours a pixel value v under attribute a uses pen
; (v & 3) + 4 a + 32 (v >> 2). Pens 16-31 of each 32 are the sprites': the item's name
; is written in pens 17-19, which take colours 1-3 of its palette 0; the others take the
; background.
; The 12-bit palette has 128 pens, low bytes at PALETTE and high bytes at PALETTE_HIGH;
; the NES palette has 32 and further writes would wrap onto them.

loadPalette:
        setVideoAddress PALETTE
        lda #32
        bit mode
        bpl @count
        lda #128
@count:
        sta count
        ldx #0
@low:
        ldy penEntry,x
        lda (palPtr),y
        sta PPU_DATA
        inx
        cpx count
        bne @low
        bit mode
        bpl @done
        lda #>PALETTE_HIGH
        sta PPU_ADDR
        lda #<PALETTE_HIGH
        sta PPU_ADDR
        ldx #0
@high:
        lda penEntry,x
        clc
        adc #64                 ; the high bytes follow the 64 low ones
        tay
        lda (palPtr),y
        sta PPU_DATA
        inx
        cpx #128
        bne @high
@done:
        rts

penEntry:
.repeat 128, n
  .if n & 16
    .if n >= 17 && n <= 19
        .byte n - 16
    .else
        .byte 0
    .endif
  .else
        .byte 16 * ((n >> 2) & 3) + 4 * (n >> 5) + (n & 3)
  .endif
.endrepeat
