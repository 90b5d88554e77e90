; A demo game: shows its name, a picture drawn from its own tile data, and one tile for
; every 8 KB program bank, each read through the mapper from the bank's marker byte, so
; a bank or tile page mapped wrongly shows on screen. A rewrites the picture's colours.
;
; game.inc (from make_demo.py) gives NAME_TEXT, MAPPER (0 NROM, 4 MMC3), PRG_BANKS
; (8 KB banks), CHR_PAGES (1 KB pages), VERTICAL (1 vertical mirroring), SEED.

.include "vt03.inc"
.include "console.inc"
.include "game.inc"

MARK_OFFSET = $1FF0         ; marker byte of each 8 KB bank

.segment "HEADER"
    .byte "NES", $1A, PRG_BANKS / 2, CHR_PAGES / 8
    .byte ((MAPPER & $0F) << 4) | VERTICAL, MAPPER & $F0
    .res 8, 0

.segment "ZEROPAGE"
marks:     .res 64          ; marker byte of every program bank, as read
frames:    .res 1
pad:       .res 1
pad_prev:  .res 1
tint:      .res 1
ptr:       .res 2

.segment "CODE"

reset:
    resetConsole
    clearRam
    waitVblank
.if MAPPER = 4
    ; Background tiles from the font pair and the last pair of the tile data.
    ldx #0
    stx MMC3_SELECT
    stx MMC3_DATA
    inx
    stx MMC3_SELECT
    lda #CHR_PAGES - 2
    sta MMC3_DATA
    lda #1 - VERTICAL
    sta MMC3_MIRRORING
    ; Every bank through the $8000 window.
    ldx #0
@bank:
    lda #6
    sta MMC3_SELECT
    stx MMC3_DATA
    lda $8000 + MARK_OFFSET
    sta marks,x
    inx
    cpx #PRG_BANKS
    bne @bank
    lda #6
    sta MMC3_SELECT
    lda #0
    sta MMC3_DATA
.else
    lda $8000 + MARK_OFFSET
    sta marks
    lda $A000 + MARK_OFFSET
    sta marks+1
    lda $C000 + MARK_OFFSET
    sta marks+2
    lda $E000 + MARK_OFFSET
    sta marks+3
.endif
    jsr draw
    jsr read_pad
    jsr read_pad            ; a button held at start-up is no press
@show:
    bit PPU_STATUS
    bpl @show
    lda #%10000000          ; NMI on, name table $2000, tiles at $0000
    sta PPU_CTRL
    lda #0
    sta PPU_SCROLL
    sta PPU_SCROLL
    lda #%00001010
    sta PPU_MASK

main:
    waitFrameCount frames
    jsr read_pad
    lda pad_prev
    eor #$FF
    and pad
    and #PAD_A
    beq main
    inc tint
    jsr palette
    lda #0
    sta PPU_ADDR
    sta PPU_ADDR
    sta PPU_SCROLL
    sta PPU_SCROLL
    jmp main

; The whole screen, with the picture off.
draw:
    jsr palette
    setVideoAddress NAME_TABLE_0
    ; A pattern of tiles from the second tile pair, 30 rows of 32.
    ldy #30
@row:
    tya
    asl a
    asl a
    adc #SEED
    ldx #32
@col:
    ora #$80
    sta PPU_DATA
    clc
    adc #3 + (SEED & 7)
    dex
    bne @col
    dey
    bne @row
    ; Attributes: four colour groups in a seed-dependent mix.
    ldx #64
    lda #SEED
@attr:
    sta PPU_DATA
    clc
    adc #$1B
    dex
    bne @attr
    ; The name on row 2, in the plain colours of group 0 (its attribute byte is cleared).
    lda #$20
    sta PPU_ADDR
    lda #$42
    sta PPU_ADDR
    ldx #0
@name:
    lda name,x
    beq @name_done
    sta PPU_DATA
    inx
    bne @name
@name_done:
    lda #$23
    sta PPU_ADDR
    lda #$C0
    sta PPU_ADDR
    lda #0
    ldx #16
@plain:
    sta PPU_DATA
    dex
    bne @plain
    ; Row 4 on: one tile per program bank, its marker.
    lda #$20
    sta PPU_ADDR
    lda #$82
    sta PPU_ADDR
    ldx #0
@mark:
    lda marks,x
    sta PPU_DATA
    inx
.if MAPPER = 4
    cpx #PRG_BANKS
.else
    cpx #4
.endif
    bne @mark
    ; A row written to the second name table: on screen only with horizontal mirroring.
    lda #$25
    sta PPU_ADDR
    lda #$02
    sta PPU_ADDR
    ldx #28
    lda #'='
@mirror:
    sta PPU_DATA
    dex
    bne @mirror
    rts

palette:
    setVideoAddress PALETTE
    ldx #0
@copy:
    lda #$0F                ; black behind every group
    cpx #0
    beq @put
    txa
    and #3
    beq @black
    lda colours,x
    clc
    adc tint
    and #$0F
    cmp #$0D                ; columns D-F are black or grey on some consoles only
    bcc @hue
    sbc #$0A
@hue:
    ora colours_light,x
    bne @put
@black:
    lda #$0F
@put:
    sta PPU_DATA
    inx
    cpx #16
    bne @copy
    rts

colours:
    .byte $0F, SEED+1, SEED+4, SEED+7
    .byte $0F, SEED+2, SEED+6, SEED+10
    .byte $0F, SEED+3, SEED+8, SEED+12
    .byte $0F, SEED+5, SEED+9, SEED+11
colours_light:
    .byte $00, $30, $20, $10, $00, $20, $10, $30, $00, $10, $30, $20, $00, $30, $10, $20

name:
    .byte NAME_TEXT, 0

read_pad:
    lda pad
    sta pad_prev
    readPad1 pad
    rts

nmi:
    inc frames
irq:
    rti

.segment "BANKS"
    .incbin "banks.bin"

.segment "MARK2"
    .byte <((PRG_BANKS - 2) * 37 + SEED * 11 + $21)
.segment "MARK1"
    .byte <((PRG_BANKS - 1) * 37 + SEED * 11 + $21)

.segment "VECTORS"
    .word nmi, reset, irq

.segment "CHARS"
    .incbin "chr.bin"
