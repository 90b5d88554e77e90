; The picture viewer inside the cartridge template "Rom.b00". Tilvex patches a block
; picture into the image (see viewer.cfg); this program shows it from the top left and
; scrolls a larger picture with the pad in steps of one attribute square (32 pixels).
;
; Each tile bank of the picture covers a section of whole rows. The parameter block lists
; every section's row count less one, which is exactly what the scanline counter's latch
; takes, so one interrupt per section boundary switches the background tiles between the
; last row of one section and the first of the next.

.include "hardware.inc"

CTRL_SHOWING    = $88       ; NMI on; background tiles at $0000, sprite fetches at $1000
                            ; so that tile address line 12 clocks the scanline counter
MASK_SHOWING    = $0A       ; background on, also in the leftmost column; no sprites
SCREEN_ROWS     = 240
LAST_COUNTED_ROW = 224      ; the last row an interrupt can start in MAME
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

reset:
        sei
        cld
        ldx #$FF
        txs
        lda #$40
        sta APU_FRAME
        lda #0
        sta PPU_CTRL
        sta PPU_MASK
        sta APU_DMC
        sta IRQ_DISABLE
        bit PPU_STATUS
@vblank1:
        bit PPU_STATUS
        bpl @vblank1
        lda #0
        tax
@clear:
        sta $00,x
        sta $0200,x
        sta $0300,x
        sta $0400,x
        sta $0500,x
        sta $0600,x
        sta $0700,x
        inx
        bne @clear
@vblank2:
        bit PPU_STATUS
        bpl @vblank2

        ; Plain 8 KB program banks of this image, tile banks counted from its start.
        lda #0
        sta VT_BANK_HIGH
        sta VT_PRG_MASK
        sta VT_PRG_MODE
        sta VT_CHR_BASE_LO
        sta VT_CHR_BASE_HI
        sta MMC_MIRRORING
        lda PARAM_FLAGS
        and #(FLAG_12BIT | FLAG_16COLOURS)
        sta flags
        sta VT_VIDEO_MODE

        ; No sprites: all of them below the screen.
        lda #0
        sta OAM_ADDR
        lda #$FF
        ldx #0
@oam:
        sta OAM_DATA
        inx
        bne @oam

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
        bit PPU_STATUS
        lda #>PALETTE_LOW
        sta PPU_ADDR
        lda #<PALETTE_LOW
        sta PPU_ADDR
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
        lda #>PALETTE_HIGH
        sta PPU_ADDR
        lda #<PALETTE_HIGH
        sta PPU_ADDR
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

; The name table: 30 rows of 32 tiles from the scroll position; tile 0 past the picture.
drawNames:
        lda scrollY
        asl a
        asl a
        sta firstLine
        lda scrollX
        asl a
        asl a
        sta firstColumn
        lda width
        sec
        sbc firstColumn
        cmp #SCREEN_TILES_X
        bcc @run
        lda #SCREEN_TILES_X
@run:
        sta runLength
        bit PPU_STATUS
        lda #>NAME_TABLE
        sta PPU_ADDR
        lda #<NAME_TABLE
        sta PPU_ADDR
        lda #0
        sta screenRow
@row:
        lda firstLine
        clc
        adc screenRow
        bcs @empty
        cmp height
        bcs @empty
        sta mulA
        lda width
        sta mulB
        jsr multiply
        lda firstColumn
        ldx namePage
        jsr pointAt
        lda #SCREEN_TILES_X
        jsr copyRun
        jmp @next
@empty:
        lda #0
        ldy #SCREEN_TILES_X
@zero:
        sta PPU_DATA
        dey
        bne @zero
@next:
        inc screenRow
        lda screenRow
        cmp #SCREEN_TILES_Y
        bne @row
        rts

; The attribute table: 8 rows of 8 bytes, one per 32 x 32 pixel square.
drawAttributes:
        lda attrStride
        sec
        sbc scrollX
        cmp #8
        bcc @run
        lda #8
@run:
        sta runLength
        bit PPU_STATUS
        lda #>ATTRIBUTE_TABLE
        sta PPU_ADDR
        lda #<ATTRIBUTE_TABLE
        sta PPU_ADDR
        lda #0
        sta screenRow
@row:
        lda scrollY
        clc
        adc screenRow
        cmp attrRows
        bcs @empty
        sta mulA
        lda attrStride
        sta mulB
        jsr multiply
        lda scrollX
        ldx attrPage
        jsr pointAt
        lda #8
        jsr copyRun
        jmp @next
@empty:
        lda #0
        ldy #8
@zero:
        sta PPU_DATA
        dey
        bne @zero
@next:
        inc screenRow
        lda screenRow
        cmp #8
        bne @row
        rts

; Copies runLength bytes from (ptr) to the picture unit and pads with zeros to A bytes.
copyRun:
        sta tmp
        ldy #0
        lda runLength
        beq @pad
@copy:
        lda (ptr),y
        sta PPU_DATA
        iny
        cpy runLength
        bne @copy
@pad:
        cpy tmp
        beq @done
        lda #0
        sta PPU_DATA
        iny
        bne @pad
@done:
        rts

; product = mulA x mulB (shift and add).
multiply:
        lda #0
        ldx #8
        lsr mulA
@bit:
        bcc @skip
        clc
        adc mulB
@skip:
        ror a
        ror mulA
        dex
        bne @bit
        sta product+1
        lda mulA
        sta product
        rts

; Points ptr at byte product + A of the 8 KB page X and maps that page and the next one
; at $8000-$BFFF, so a run of up to 32 bytes can be read through ptr.
pointAt:
        clc
        adc product
        sta ptr
        lda product+1
        adc #0
        sta offMid
        lda #0
        adc #0
        sta offHi
        stx tmp
        lda offMid              ; page += offset >> 13
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        sta ptr+1
        lda offHi
        asl a
        asl a
        asl a
        ora ptr+1
        clc
        adc tmp
        ldx #CMD_PRG_8000
        stx MMC_SELECT
        sta MMC_DATA
        clc
        adc #1
        ldx #CMD_PRG_A000
        stx MMC_SELECT
        sta MMC_DATA
        lda offMid
        and #$1F
        ora #$80
        sta ptr+1
        rts

; Works out the frame's scanline interrupts for the scroll position: the tile bank of the
; section at the top and one interrupt at the first screen row of every later section that
; shows. Below and right of a smaller picture the screen shows tile 0: an interrupt that
; blanked the rows below would land a row or two early on emulators whose counter differs
; from the chip's, and cut the picture.
planInterrupts:
        lda scrollY             ; y0 = scrollY x 32
        sta y0
        lda #0
        sta y0+1
        ldx #5
@times32:
        asl y0
        rol y0+1
        dex
        bne @times32
        lda heightPx
        sec
        sbc y0
        sta visible
        lda heightPx+1
        sbc y0+1
        bne @full
        lda visible
        cmp #SCREEN_ROWS
        bcc @sized
@full:
        lda #SCREEN_ROWS
        sta visible
@sized:
        ldx #0                  ; the top section: the last one starting at or above y0
@find:
        inx
        cpx sectionCount
        bcs @found
        lda y0
        cmp secStartLo,x
        lda y0+1
        sbc secStartHi,x
        bcs @find               ; y0 >= start: keep looking
@found:
        dex
        txa
        asl a
        asl a
        sta firstBank
        sta lastBank
        ldy #0
        sty prevRow
@later:
        inx
        cpx sectionCount
        bcs @bottom
        lda secStartLo,x
        sec
        sbc y0
        sta tmp
        lda secStartHi,x
        sbc y0+1
        bne @bottom
        lda tmp
        cmp visible
        bcs @bottom
        txa
        asl a
        asl a
        jsr addEvent
        jmp @later
@bottom:
        sty evCount
        rts

; Appends the event "at screen row tmp select bank A" as event Y (Y advances).
; MAME's VT03 counts only the first 224 rows, so a boundary further down is reached from
; an interrupt at row 224 (which selects the bank in force again) by counting out scanlines
; in the handler; the chip itself would count on, and arrives at the same row either way.
addEvent:
        sta newBank
        lda tmp
        cmp #LAST_COUNTED_ROW + 1
        bcc @counted
        lda prevRow
        cmp #LAST_COUNTED_ROW
        bcs @chained
        lda tmp
        pha
        lda #LAST_COUNTED_ROW
        sta tmp
        lda lastBank
        jsr addCounted
        pla
        sta tmp
@chained:
        lda newBank
        sta evBank,y
        sta lastBank
        lda tmp
        sec
        sbc prevRow             ; scanlines to count out after the previous event
        sta evWait,y
        lda tmp
        sta prevRow
        iny
        rts
@counted:
        lda newBank
addCounted:
        sta evBank,y
        sta lastBank
        lda #0
        sta evWait,y
        lda tmp
        clc
        sbc prevRow             ; rows since the last event, less one
        sta evLatch,y
        lda tmp
        sta prevRow
        iny
        rts

readPad:
        lda #1
        sta PAD_STROBE
        lda #0
        sta PAD_STROBE
        ldx #8
@bit:
        lda PAD_1
        lsr a
        rol pad
        dex
        bne @bit
        rts

; Moves the scroll position by the pad: at once on a new press, then repeating while held.
; Carry set when the position changed.
scrollByPad:
        lda pad
        and #(PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT)
        sta tmp
        lda padPrev
        eor #$FF
        and tmp
        bne @press
        lda tmp
        beq @idle
        dec repeatDelay
        bne @idle
        lda #REPEAT_NEXT
        bne @move
@press:
        lda #REPEAT_FIRST
@move:
        sta repeatDelay
        lda tmp
        sta padPrev
        lda #0
        sta runLength           ; used as the "moved" mark
        lda tmp
        and #PAD_UP
        beq @down
        lda scrollY
        beq @down
        dec scrollY
        inc runLength
@down:
        lda tmp
        and #PAD_DOWN
        beq @left
        lda scrollY
        cmp maxScrollY
        bcs @left
        inc scrollY
        inc runLength
@left:
        lda tmp
        and #PAD_LEFT
        beq @right
        lda scrollX
        beq @right
        dec scrollX
        inc runLength
@right:
        lda tmp
        and #PAD_RIGHT
        beq @report
        lda scrollX
        cmp maxScrollX
        bcs @report
        inc scrollX
        inc runLength
@report:
        lda runLength
        cmp #1                  ; carry set when anything moved
        rts
@idle:
        lda tmp
        sta padPrev
        clc
        rts

waitFrame:
        lda frameCount
@wait:
        cmp frameCount
        beq @wait
        rts

nmi:
        pha
        txa
        pha
        lda renderOn
        beq @off
        lda #CMD_TILES_0000
        sta MMC_SELECT
        lda firstBank
        sta MMC_DATA
        lda #CMD_TILES_0800
        sta MMC_SELECT
        lda firstBank
        ora #2
        sta MMC_DATA
        bit PPU_STATUS
        lda #0
        sta PPU_SCROLL
        sta PPU_SCROLL
        lda #CTRL_SHOWING
        sta PPU_CTRL
        lda #MASK_SHOWING
        sta PPU_MASK
        sta IRQ_DISABLE
        lda #0
        sta evIndex
        lda evCount
        beq @done
        lda evLatch
        sta IRQ_LATCH
        sta IRQ_RELOAD
        sta IRQ_ENABLE
        jmp @done
@off:
        lda #0
        sta PPU_MASK
        sta IRQ_DISABLE
@done:
        inc frameCount
        pla
        tax
        pla
        rti

; A section boundary: the new tile bank for the rows below, then the next boundary.
irq:
        pha
        txa
        pha
        tya
        pha
        ldx evIndex
@switch:
        lda #CMD_TILES_0000
        sta MMC_SELECT
        lda evBank,x
        sta MMC_DATA
        lda #CMD_TILES_0800
        sta MMC_SELECT
        lda evBank,x
        ora #2
        sta MMC_DATA
        inx
        cpx evCount
        bcs @done
        ldy evWait,x
        beq @arm
@line:
        jsr waitScanline
        dey
        bne @line
        beq @switch
@arm:
        sta IRQ_DISABLE
        lda evLatch,x
        sta IRQ_LATCH
        sta IRQ_RELOAD
        sta IRQ_ENABLE
        jmp @exit
@done:
        sta IRQ_DISABLE         ; acknowledges: no boundary left in this frame
@exit:
        stx evIndex
        pla
        tay
        pla
        tax
        pla
        rti

; With the caller's jsr, dey and bne: 113 cycles, one NTSC scanline (113.67) less a
; fraction, so fifteen lines drift by ten cycles.
waitScanline:
        lda #13                 ; 2
@loop:
        sec                     ; 13 x 7 - 1 = 90
        sbc #1
        bne @loop
        nop                     ; 4
        nop
        rts

.segment "VECTORS"
        .word nmi, reset, irq
