; Rewrites the name and attribute tables for the scroll position, with rendering off.

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
        lda #>NAME_TABLE_0
        sta PPU_ADDR
        lda #<NAME_TABLE_0
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
        lda #>ATTRIBUTE_TABLE_0
        sta PPU_ADDR
        lda #<ATTRIBUTE_TABLE_0
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
        ldx #MMC3_PRG_8000
        stx MMC3_SELECT
        sta MMC3_DATA
        clc
        adc #1
        ldx #MMC3_PRG_A000
        stx MMC3_SELECT
        sta MMC3_DATA
        lda offMid
        and #$1F
        ora #$80
        sta ptr+1
        rts
