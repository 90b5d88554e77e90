; An item's sections from its interrupt table, the frame's plan of scanline interrupts
; and the handlers that carry it out.

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
        sta lastEvent
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

; Appends the event "at screen row tmp select the pages from A on" as event Y (Y advances).
; MAME's VT03 counts only the first 224 rows, so a boundary further down is reached from
; an interrupt at row 224 (which selects the pages in force again) by counting out
; scanlines in the handler; the chip itself would count on, and arrives at the same row
; either way.
addEvent:
        sta row
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
        lda lastEvent
        jsr addCounted
        pla
        sta tmp
@chained:
        lda row
        sta evPage,y
        sta lastEvent
        lda tmp
        sec
        sbc prevRow             ; scanlines to count out after the previous event
        sta evWait,y
        lda tmp
        sta prevRow
        iny
        rts
@counted:
        lda row
addCounted:
        sta evPage,y
        sta lastEvent
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

nmi:
        pushRegisters
        lda renderOn
        beq @off
        lda #>OAM_PAGE
        sta OAM_DMA
        lda #CHR_INVERTED | MMC3_CHR_0000
        sta MMC3_SELECT
        lda spritePage
        sta MMC3_DATA
        lda secPage0
        setPages
        bit PPU_STATUS
        lda #0
        sta PPU_SCROLL
        sta PPU_SCROLL
        lda #CTRL_SHOWING
        sta PPU_CTRL
        lda #MASK_SHOWING
        sta PPU_MASK
        sta MMC3_IRQ_DISABLE
        lda #0
        sta evIndex
        lda evCount
        beq @done
        lda evLatch
        sta MMC3_IRQ_LATCH
        sta MMC3_IRQ_RELOAD
        sta MMC3_IRQ_ENABLE
        jmp @done
@off:
        lda #0
        sta PPU_MASK
        sta MMC3_IRQ_DISABLE
@done:
        inc frameCount
        pullRegisters
        rti

; A section boundary: the new pages for the rows below, then the next boundary.
irq:
        pushRegisters
        ldx evIndex
@switch:
        lda evPage,x
        setPages
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
        sta MMC3_IRQ_DISABLE
        lda evLatch,x
        sta MMC3_IRQ_LATCH
        sta MMC3_IRQ_RELOAD
        sta MMC3_IRQ_ENABLE
        jmp @exit
@done:
        sta MMC3_IRQ_DISABLE    ; acknowledges: no boundary left in this frame
@exit:
        stx evIndex
        pullRegisters
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
