; A slideshow of a Tilvex project's output: every item of the project in turn, A or Right
; for the next, B or Left for the one before; the item's name in a corner the picture leaves
; free.
;
; The tiles are VT03PGT.BIN, the game's tile data (the font of the names follows it).
; VT03IRQ.ASM gives each item's sections: per entry the picture rows to the next section
; less one (0 in the last), $10, and the four 2 KB pages of the section's 256 background
; tiles, $FF for pages before its first tile. A 4-colour section takes half the bytes, so
; its 1 KB page register values are twice the page numbers.
; The item files give the name table, the attributes, the palettes and NAME_info (cells
; per row, cell rows, video mode, block mode); a cell is a block of 8 x 8, 8 x 16, 16 x 8 or
; 16 x 16 pixels, spread over the screen's 8 x 8 tiles as it is drawn. items.inc, made by
; make_slideshow.py, includes them and lists the items.
;
; The background tiles lie at $0000-$0FFF in four 1 KB pages; sprites are fetched from
; $1000 so that tile address line 12 clocks the scanline counter once a row. One interrupt
; at each section boundary switches the pages for the rows below, as the preview viewer
; does.

.include "vt03.inc"
.include "console.inc"
.include "tilvex.inc"

CTRL_SHOWING    = $88       ; NMI on; background tiles at $0000, sprite fetches at $1000
MASK_SHOWING    = $1E       ; background and sprites on, also in the leftmost column
SPRITES_16      = $04       ; VT_VIDEO_MODE: sprites in 16 colours, read as the background is
OAM_PAGE        = $0200     ; the sprites, copied to the picture unit at every vertical blank
NAME_ROW        = 216       ; the name below a picture of at most NAME_ROW - 8 rows, or
NAME_TOP        = 8         ; at the top right beside a narrower one
NAME_MARGIN     = 8
CHR_INVERTED    = $80       ; MMC3 select: the 1 KB pages (commands 2-5) at $0000
MODE_16         = $02       ; NAME_info's mode byte: 16 colours
MODE_12BIT      = $80       ; 12-bit palette
SCREEN_ROWS     = 240
LAST_COUNTED_ROW = 224      ; the last row an interrupt can start in MAME
MAX_SECTIONS    = 16
NO_PAGE         = $FF

.segment "ZEROPAGE"
item:           .res 1      ; the item on the screen
width:          .res 1      ; tiles per row, at most 255
height:         .res 1      ; tile rows, at most 255
cellsW:         .res 1      ; blocks per row, as the item's tables count them
cellsH:         .res 1      ; block rows
shiftW:         .res 1      ; 1 for blocks 16 pixels wide, else 0
shiftH:         .res 1      ; 1 for blocks 16 pixels high, else 0
mode:           .res 1
spritePage:     .res 1      ; 2 KB page of the font for the sprites at $1000
heightPx:       .res 2
renderOn:       .res 1
frameCount:     .res 1
pad:            .res 1
padPrev:        .res 1
irqPtr:         .res 2
pntPtr:         .res 2
attrPtr:        .res 2
palPtr:         .res 2
ptr:            .res 2
tmp:            .res 1
count:          .res 1
row:            .res 1
sections:       .res 1
section:        .res 1
evCount:        .res 1
evIndex:        .res 1
prevRow:        .res 1
lastBank:       .res 1
boundary:       .res 2
tileBase:       .res 2
savedOuter:     .res 1
savedChrHigh:   .res 1
savedBankSize:  .res 1
undoubled:      .res 1
e1k:            .res 2
lineLoops:      .res 1      ; LINE_LOOPS_NTSC or LINE_LOOPS_PAL
inIrq:          .res 1      ; set while a scanline interrupt counts out rows
frameDeferred:  .res 1      ; the NMI came during one and left the frame's start to it
newBank:        .res 1
column:         .res 1
cellRow:        .res 1
stride:         .res 1
value:          .res 1

.segment "BSS"
secPage0:       .res MAX_SECTIONS   ; first 1 KB page register value of each section
secRow:         .res MAX_SECTIONS   ; its first screen row
evLatch:        .res MAX_SECTIONS + 2   ; per interrupt: the latch that leads to it,
evSection:      .res MAX_SECTIONS + 2   ; the section whose pages it selects,
evWait:         .res MAX_SECTIONS + 2   ; or the scanlines it follows the previous one by
evBank:         .res MAX_SECTIONS + 2   ; (the section's first page, copied for the handler)
attributes:     .res 64                 ; the screen's attribute table, made before it is written

.segment "CODE"

reset:
        resetConsole
        clearRam
        lda #$FF                ; every sprite below the screen
@hide:
        sta OAM_PAGE,x
        inx
        bne @hide
        waitVblank

        jsr measureFrame
        jsr locateTiles
        ; The item tables at $8000-$BFFF: the game's first two 8 KB banks.
        lda #CHR_INVERTED | MMC3_PRG_8000
        sta MMC3_SELECT
        lda #0
        sta MMC3_DATA
        lda #CHR_INVERTED | MMC3_PRG_A000
        sta MMC3_SELECT
        lda #1
        sta MMC3_DATA
        lda #0
        sta MMC3_MIRRORING

        jsr showItem
        cli
mainLoop:
        jsr waitFrame
        jsr readPad
        newPresses pad, padPrev
        tax
        and #(PAD_A | PAD_RIGHT)
        bne @next
        txa
        and #(PAD_B | PAD_LEFT)
        beq mainLoop
        ldx item
        bne @back
        ldx #ITEM_COUNT
@back:
        dex
        stx item
        jmp @show
@next:
        ldx item
        inx
        cpx #ITEM_COUNT
        bcc @store
        ldx #0
@store:
        stx item
@show:
        lda #0
        sta renderOn
        jsr waitFrame           ; the next vblank turns the screen off
        jsr showItem
        jmp mainLoop

waitFrame:
        waitFrameCount frameCount
        rts

readPad:
        readPad1 pad
        rts

; Tiles of `cells` blocks, doubled when `shift` is 1, at most 255.
.macro toTiles cells, shift, tiles
        .local store
        lda cells
        ldx shift
        beq store
        asl a
        bcc store
        lda #$FF
store:
        sta tiles
.endmacro

; Draws item `item` with the screen off, then turns it on at the next vblank.
showItem:
        ldx item
        lda itemIrqLo,x
        sta irqPtr
        lda itemIrqHi,x
        sta irqPtr+1
        lda itemPntLo,x
        sta pntPtr
        lda itemPntHi,x
        sta pntPtr+1
        lda itemAttribLo,x
        sta attrPtr
        lda itemAttribHi,x
        sta attrPtr+1
        lda itemPaletteLo,x
        sta palPtr
        lda itemPaletteHi,x
        sta palPtr+1
        lda itemInfoLo,x
        sta ptr
        lda itemInfoHi,x
        sta ptr+1
        ldy #0
        lda (ptr),y
        sta cellsW
        iny
        lda (ptr),y
        sta cellsH
        iny
        lda (ptr),y
        and #(MODE_12BIT | MODE_16)
        sta mode
        iny
        lda (ptr),y             ; block mode 0-3: bit 0 16 rows high, bit 1 16 columns wide
        and #1
        sta shiftH
        lda (ptr),y
        lsr a
        and #1
        sta shiftW
        toTiles cellsW, shiftW, width
        toTiles cellsH, shiftH, height
        lda cellsH
        sta heightPx
        lda #0
        sta heightPx+1
        lda #3
        clc
        adc shiftH
        tax
@times8:
        asl heightPx
        rol heightPx+1
        dex
        bne @times8

        lda mode
        and #MODE_16
        beq @mode
        lda #SPRITES_16
@mode:
        ora mode
        sta VT_VIDEO_MODE
        jsr readSections
        jsr placeName
        lda #0
        sta PPU_CTRL            ; after the VT03 registers, which alias it on a plain NES
        jsr loadPalette
        jsr drawNames
        jsr drawAttributes
        jsr planInterrupts
        lda #CTRL_SHOWING       ; the NMI shows the item from the next frame on
        sta PPU_CTRL
        lda #1
        sta renderOn
        rts

.include "tile_base.s"
.include "name.s"
.include "palette.s"
.include "names.s"
.include "sections.s"

; An item's tables, made from the project output by make_slideshow.py.
.include "items.inc"

.segment "VECTORS"
        .word nmi, reset, irq
