; The picture viewer inside the cartridge template "Rom.b00". Tilvex patches a block
; picture into the image (see viewer.cfg); this program shows it from the top left and
; scrolls a larger picture with the pad in steps of one attribute square (32 pixels).
;
; Each tile bank of the picture covers a section of whole rows. The parameter block lists
; every section's row count less one, which is exactly what the scanline counter's latch
; takes, so one interrupt per section boundary switches the background tiles between the
; last row of one section and the first of the next.

.include "vt03.inc"
.include "console.inc"
.include "params.inc"

; The flags go straight to the video mode register, and the code follows the block.
.assert FLAG_12BIT = VIDEO_12BIT_PALETTE, error, "the 12-bit flag is not the chip's bit"
.assert FLAG_16COLOURS = VIDEO_BG_16COLOURS, error, "the 16-colour flag is not the chip's bit"

CTRL_SHOWING    = $88       ; NMI on; background tiles at $0000, sprite fetches at $1000
                            ; so that tile address line 12 clocks the scanline counter
MASK_SHOWING    = $0A       ; background on, also in the leftmost column; no sprites
SCREEN_ROWS     = 240
; The chip's counter is clocked once per rendered row (tile address line 12 rises at each
; row's sprite fetches), so on the console a counted interrupt reaches any row down to 239.
; MAME's VT03 clocks its counter on rows 0-223 only, in both of the chip's counting modes
; (line 12, or HSYNC with $410B bit 7), so no latch or mode reaches further there. A
; boundary below is reached from an interrupt at this row by counting out scanlines; the
; console arrives at the same row either way.
LAST_COUNTED_ROW = 224
SCREEN_TILES_X  = 32
SCREEN_TILES_Y  = 30
MAX_SECTIONS    = 16        ; a picture has at most 16 tile banks
REPEAT_FIRST    = 20        ; frames a held direction waits before it repeats
REPEAT_NEXT     = 8

.segment "ZEROPAGE"
width:          .res 1      ; picture size in tiles
height:         .res 1
namePage:       .res 1
attrPage:       .res 1
attrStride:     .res 1      ; attribute bytes per group of four tile rows
attrRows:       .res 1
flags:          .res 1
heightPx:       .res 2
sectionCount:   .res 1
scrollX:        .res 1      ; in 32-pixel steps
scrollY:        .res 1
maxScrollX:     .res 1
maxScrollY:     .res 1
renderOn:       .res 1      ; 0 while the name table is being rewritten
frameCount:     .res 1
lineLoops:      .res 1      ; LINE_LOOPS_NTSC or LINE_LOOPS_PAL
inIrq:          .res 1      ; set while a scanline interrupt counts out rows
frameDeferred:  .res 1      ; the NMI came during one and left the frame's start to it
firstBank:      .res 1      ; tile bank register value of the screen's top section
evCount:        .res 1
evIndex:        .res 1
pad:            .res 1
padPrev:        .res 1
repeatDelay:    .res 1
product:        .res 2
mulA:           .res 1
mulB:           .res 1
offMid:         .res 1
offHi:          .res 1
ptr:            .res 2
tmp:            .res 1
runLength:      .res 1
firstLine:      .res 1      ; first picture tile row or attribute row on the screen
firstColumn:    .res 1
screenRow:      .res 1
y0:             .res 2      ; first picture pixel row on the screen
visible:        .res 1      ; picture rows on the screen
prevRow:        .res 1
lastBank:       .res 1
newBank:        .res 1

.segment "BSS"
secStartLo:     .res MAX_SECTIONS + 1
secStartHi:     .res MAX_SECTIONS + 1
evLatch:        .res MAX_SECTIONS + 2   ; per scanline interrupt: the latch that leads to it,
evBank:         .res MAX_SECTIONS + 2   ; the $0000 tile bank it selects,
evWait:         .res MAX_SECTIONS + 2   ; or the scanlines it follows the previous one by

.segment "CODE"
; The code starts where the parameter block ends, in the image and at the CPU alike.
.assert * = PARAM_END, lderror, "params.inc and viewer.cfg place the block differently"

reset:
        resetConsole
        clearRam
        waitVblank

        ; Plain 8 KB program banks of this image, tile banks counted from its start.
        lda #0
        sta VT_OUTER_BANK
        sta VT_PRG_BASE
        sta VT_PRG_MODE
        sta VT_CHR_HIGH
        sta VT_CHR_BANK_SIZE
        sta MMC3_MIRRORING
        lda PARAM_FLAGS
        and #(FLAG_12BIT | FLAG_16COLOURS)
        sta flags
        sta VT_VIDEO_MODE

        hideSprites

        jsr measureFrame
        jsr loadPalette
        jsr readParameters
        jsr redraw
        lda #1
        sta renderOn
        lda #CTRL_SHOWING
        sta PPU_CTRL
        cli

mainLoop:
        jsr waitFrame
        jsr readPad
        jsr scrollByPad
        bcc mainLoop
        lda #0
        sta renderOn
        jsr waitFrame           ; the next vblank turns the screen off
        jsr redraw
        lda #1
        sta renderOn
        jmp mainLoop

; The pens: 128 low and 128 high bytes in 12-bit mode; the NES palette has 32 entries and
; further writes would wrap onto them.
loadPalette:
        setVideoAddress PALETTE
        ldy #32
        lda flags
        bpl @count
        ldy #128
@count:
        ldx #0
@low:
        lda PARAM_PAL_LOW,x
        sta PPU_DATA
        inx
        dey
        bne @low
        lda flags
        bpl @done
        setVideoAddress PALETTE_HIGH
        ldx #0
@high:
        lda PARAM_PAL_HIGH,x
        sta PPU_DATA
        inx
        cpx #128
        bne @high
@done:
        rts

readParameters:
        lda PARAM_WIDTH
        sta width
        lda PARAM_HEIGHT
        sta height
        lda PARAM_NAME_PAGE
        sta namePage
        lda PARAM_ATTR_PAGE
        sta attrPage
        lda width               ; (width + 3) / 4, with the ninth bit kept
        clc
        adc #3
        ror a
        lsr a
        sta attrStride
        lda height
        clc
        adc #3
        ror a
        lsr a
        sta attrRows
        lda height
        sta heightPx
        lda #0
        sta heightPx+1
        ldx #3
@times8:
        asl heightPx
        rol heightPx+1
        dex
        bne @times8

        ; Scrolling stops once the picture's last column or row is on the screen.
        lda width
        sec
        sbc #SCREEN_TILES_X
        bcs @wider
        lda #0
@wider:
        clc
        adc #3
        lsr a
        lsr a
        sta maxScrollX
        lda height
        sec
        sbc #SCREEN_TILES_Y
        bcs @taller
        lda #0
@taller:
        clc
        adc #3
        lsr a
        lsr a
        sta maxScrollY

        ; Section starts: each entry is the previous start plus the table byte plus one.
        ldx #0
        stx secStartLo
        stx secStartHi
        ldy #0
@section:
        cpy #MAX_SECTIONS - 1
        bcs @sectionsDone
        lda PARAM_SECTIONS,y
        beq @sectionsDone
        sec
        adc secStartLo,x
        sta secStartLo+1,x
        lda secStartHi,x
        adc #0
        sta secStartHi+1,x
        inx
        iny
        bne @section
@sectionsDone:
        inx
        stx sectionCount
        rts

redraw:
        jsr drawNames
        jsr drawAttributes
        jmp planInterrupts

waitFrame:
        lda frameCount
@wait:
        cmp frameCount
        beq @wait
        rts

.include "screen.s"
.include "sections.s"
.include "pad.s"

.segment "VECTORS"
        .word nmi, reset, irq
