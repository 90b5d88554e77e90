; Tile banks per section: the frame's plan of scanline interrupts and the handlers
; that carry it out.

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

; The frame's start: the top section's tile bank, the scroll, and the first interrupt.
; A scanline interrupt that still runs when vertical blank begins (a boundary at row 239
; on a console whose scanlines run longer than waitScanline counts) must not have the
; bank or the MMC3 command it is writing changed under it, nor evIndex: the NMI then
; leaves all of this to the interrupt's end.
nmi:
        pha
        lda inIrq
        beq @start
        sta frameDeferred
        inc frameCount
        pla
        rti
@start:
        txa
        pha
        jsr startFrame
        inc frameCount
        pla
        tax
        pla
        rti

startFrame:
        lda renderOn
        beq @off
        lda #MMC3_CHR_0000
        sta MMC3_SELECT
        lda firstBank
        sta MMC3_DATA
        lda #MMC3_CHR_0800
        sta MMC3_SELECT
        lda firstBank
        ora #2
        sta MMC3_DATA
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
        rts
@off:
        lda #0
        sta PPU_MASK
        sta MMC3_IRQ_DISABLE
@done:
        rts

; A section boundary: the new tile bank for the rows below, then the next boundary. The
; first switch comes straight after the interrupt, at a row the NMI is far from; only
; while rows are counted out can the NMI come, so only then is inIrq set.
irq:
        pha
        txa
        pha
        tya
        pha
        ldx evIndex
@switch:
        lda #MMC3_CHR_0000
        sta MMC3_SELECT
        lda evBank,x
        sta MMC3_DATA
        lda #MMC3_CHR_0800
        sta MMC3_SELECT
        lda evBank,x
        ora #2
        sta MMC3_DATA
        inx
        cpx evCount
        bcs @done
        ldy evWait,x
        beq @arm
        lda #1
        sta inIrq
@line:
        jsr waitScanline
        dey
        bne @line
        branch_in_page @line
        lda frameDeferred
        beq @switch
        bne @late               ; vertical blank began: the rest was for a frame now over
@arm:
        sta MMC3_IRQ_DISABLE
        lda evLatch,x
        sta MMC3_IRQ_LATCH
        sta MMC3_IRQ_RELOAD
        sta MMC3_IRQ_ENABLE
        jmp @exit
@done:
        sta MMC3_IRQ_DISABLE         ; acknowledges: no boundary left in this frame
@exit:
        stx evIndex
        lda #0
        sta inIrq
        lda frameDeferred
        beq @return
@late:
        sta MMC3_IRQ_DISABLE
        lda #0
        sta inIrq
        sta frameDeferred
        jsr startFrame
@return:
        pla
        tay
        pla
        tax
        pla
        rti
