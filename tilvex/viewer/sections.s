; Tile banks per section: the frame's plan of scanline interrupts, and the viewer's bank
; switch for the handlers of section_switch.s that carry it out.

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

; Event X's tile bank at $0000 and the next one at $0800.
.macro switchBanks
        lda #MMC3_CHR_0000
        sta MMC3_SELECT
        lda evBank,x
        sta MMC3_DATA
        lda #MMC3_CHR_0800
        sta MMC3_SELECT
        lda evBank,x
        ora #2
        sta MMC3_DATA
.endmacro

; The top section's tile banks, at the frame's start.
topBanks:
        lda #MMC3_CHR_0000
        sta MMC3_SELECT
        lda firstBank
        sta MMC3_DATA
        lda #MMC3_CHR_0800
        sta MMC3_SELECT
        lda firstBank
        ora #2
        sta MMC3_DATA
        rts

.include "section_switch.s"
