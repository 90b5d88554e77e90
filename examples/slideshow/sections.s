; An item's sections from its interrupt table, the frame's plan of scanline interrupts,
; and the slideshow's page switch for the handlers of section_switch.s that carry it out.

; Reads the item's entries into secRow and secPage0 (sections counts them) and sets the
; bits above the page registers for the item's mode. An entry is six bytes: rows to the
; next section less one (0 in the last entry), $10, and four 2 KB pages of the tile file,
; $FF for those before the section's first tile.
readSections:
        lda #0
        sta boundary
        sta boundary+1
        tax
        tay
@entry:
        lda boundary
        sta secRow,x
        sty tmp
        iny
        iny
        lda #0
        sta count
@find:
        lda (irqPtr),y
        cmp #NO_PAGE
        bne @found
        iny
        inc count
        lda count
        cmp #4
        bne @find
        lda #0                  ; no page at all: nothing to show
        sta count
@found:
        sec
        sbc count               ; the 2 KB page where the section's tile 0 would lie
        sta row
        lda mode
        and #MODE_16
        bne @undoubled
        lda row
        asl a                   ; 4 colours: 1 KB page values, counted from the game's tiles
        sta secPage0,x
        jmp @placed
@undoubled:                     ; 16 colours: the undoubled page, in full
        lda row
        clc
        adc tileBase
        sta e1k
        sta secPage0,x
        lda tileBase+1
        adc #0
        sta e1k+1
@placed:
        ldy tmp
        lda (irqPtr),y          ; rows to the next section, less one
        beq @last
        sec
        adc boundary
        sta boundary
        bcc @row
        inc boundary+1
@row:
        inx
        cpx #MAX_SECTIONS
        bcs @done
        lda boundary+1          ; sections starting below row 255 are never on the screen
        bne @done
        tya
        clc
        adc #6
        tay
        jmp @entry
@last:
        inx
@done:
        stx sections
        lda mode
        and #MODE_16
        beq @placedTiles
        jmp useUndoubled        ; every section of an item lies in the same 256 KB
@placedTiles:
        jmp usePlaced

; One interrupt at the first screen row of every later section that shows.
planInterrupts:
        lda heightPx+1
        bne @full
        lda heightPx
        cmp #SCREEN_ROWS
        bcc @sized
@full:
        lda #SCREEN_ROWS
@sized:
        sta count               ; picture rows on the screen
        ldy #0
        sty prevRow
        lda secPage0
        sta lastBank
        ldx #0
@later:
        inx
        cpx sections
        bcs @bottom
        lda secRow,x
        cmp count
        bcs @bottom
        sta tmp
        lda secPage0,x
        stx section
        jsr addEvent
        ldx section
        jmp @later
@bottom:
        sty evCount
        rts

; The four 1 KB pages from A on at video $0000-$0FFF (MMC3 commands 2-5, inverted).
.macro setPages
        ldy #CHR_INVERTED | MMC3_CHR_1000
        sty MMC3_SELECT
        sta MMC3_DATA
        clc
        adc #1
        iny
        sty MMC3_SELECT
        sta MMC3_DATA
        adc #1
        iny
        sty MMC3_SELECT
        sta MMC3_DATA
        adc #1
        iny
        sty MMC3_SELECT
        sta MMC3_DATA
.endmacro

; Event X's pages.
.macro switchBanks
        lda evBank,x
        setPages
.endmacro

; The sprites and the top section's pages, at the frame's start.
topBanks:
        lda #>OAM_PAGE
        sta OAM_DMA
        lda #CHR_INVERTED | MMC3_CHR_0000
        sta MMC3_SELECT
        lda spritePage
        sta MMC3_DATA
        lda secPage0
        setPages
        rts

.include "section_switch.s"

.exportzp lineLoops             ; named in ld65's label file, for the emulator test
