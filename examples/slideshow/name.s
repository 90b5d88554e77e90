; The item's name in sprites of the demo games' font, in a corner the picture leaves free: below
; it, or at the top right beside it; nowhere when it fills the screen. The font lies behind
; the tile file (FONT_2K in 2 bits a pixel, FONT4_2K in 4), one tile per ASCII code.

placeName:
        lda #$FF                ; every sprite below the screen
        ldx #0
@hide:
        sta OAM_PAGE,x
        inx
        bne @hide
        lda mode                ; the font's page, as the item's tiles are reached
        and #MODE_16
        bne @font4
        lda #FONT_2K * 2
        bne @font
@font4:
        lda tileBase
        clc
        adc #FONT4_2K
@font:
        sta spritePage
        ldx item
        lda itemNameLo,x
        sta ptr
        lda itemNameHi,x
        sta ptr+1
        ldy #0
@length:
        lda (ptr),y
        beq @measured
        iny
        bne @length
@measured:
        sty count
        lda heightPx+1
        bne @beside
        lda heightPx
        cmp #NAME_ROW - NAME_MARGIN + 1
        bcs @beside
        lda #NAME_ROW - 1       ; a sprite shows from the row after its Y
        sta row
        lda #NAME_MARGIN
        bne @place
@beside:
        lda width               ; room on the right: 256 - 8 width >= 8 (length + 1)
        cmp #SCREEN_TILES_X
        bcs @none
        lda #SCREEN_TILES_X - 1
        sec
        sbc width
        cmp count
        bcc @none
        lda #NAME_TOP - 1
        sta row
        lda #SCREEN_TILES_X - 1
        sec
        sbc count
        asl a
        asl a
        asl a
@place:
        sta tmp                 ; x of the first letter
        ldx #0
        ldy #0
@letter:
        cpy count
        beq @none
        lda row
        sta OAM_PAGE,x
        lda (ptr),y
        sta OAM_PAGE+1,x
        lda #0
        sta OAM_PAGE+2,x
        lda tmp
        sta OAM_PAGE+3,x
        clc
        adc #8
        sta tmp
        inx
        inx
        inx
        inx
        iny
        bne @letter
@none:
        rts
