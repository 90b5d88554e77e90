; Where a game's tile data lies on the one ROM bus, for pictures in 16 colours.
;
; In 16 colours the chip reads 32 bytes a tile where the tile address names 16: the whole
; ROM address the tile registers form is doubled. A game packed into a cartridge has its
; tile data at some address X that the menu set in the outer bank, VT_CHR_HIGH and
; VT_CHR_BANK_SIZE, so 4-colour tiles are reached through the page registers as in the
; game alone; 16-colour tiles at X + 2048 p are reached only by the undoubled address
; X / 2 + 1024 p, given in full. A game alone starts with those registers at 0 (X = 0).
;
; Needs in the zero page: tileBase (2 bytes: X / 2048), savedOuter, savedChrHigh,
; savedBankSize, undoubled (0 until useUndoubled), e1k (2 bytes: an undoubled address /
; 1024) and tmp. The VT03 registers
; at $2010-$201A alias the picture unit's own on a plain NES: write them with the screen
; off and PPU_CTRL written after them.

; Reads the tile data's place from the registers as the menu left them.
locateTiles:
        lda VT_OUTER_BANK
        sta savedOuter
        lda VT_CHR_HIGH
        sta savedChrHigh
        lda VT_CHR_BANK_SIZE
        sta savedBankSize
        and #7                  ; how many upper page bits the register gives
        tax
        lda savedBankSize
        and replacedBits,x      ; X bits 10-17
        lsr a
        sta tileBase
        lda savedChrHigh        ; X bits 18-20
        lsr a
        lsr a
        lsr a
        lsr a
        and #7
        sta tmp
        and #1
        beq @low
        lda tileBase
        ora #$80
        sta tileBase
@low:
        lda savedOuter          ; X bits 21-24
        and #$0F
        asl a
        asl a
        sta tileBase+1
        lda tmp
        lsr a
        ora tileBase+1
        sta tileBase+1
        rts

; The page bits VT_CHR_BANK_SIZE's upper bits stand for, by its size code.
replacedBits:
        .byte $00, $80, $C0, $00, $E0, $F0, $F8, $00

; 16-colour tiles from the undoubled page e1k on: the bits above the page registers.
useUndoubled:
        lda e1k+1
        and #7
        asl a
        asl a
        asl a
        asl a
        sta VT_CHR_HIGH
        lda #0
        sta VT_CHR_BANK_SIZE
        lda e1k+1
        lsr a
        lsr a
        lsr a
        and #$0F
        sta tmp
        lda savedOuter
        and #$F0
        ora tmp
        sta VT_OUTER_BANK
        lda #1
        sta undoubled
        rts

; 4-colour tiles: the registers as the menu left them, pages counted from the game's tiles.
; Nothing is written before the first 16-colour picture: on emulators where these
; registers do not read back, what was read is not written into them.
usePlaced:
        lda undoubled
        beq @done
        lda #0
        sta undoubled
        lda savedChrHigh
        sta VT_CHR_HIGH
        lda savedBankSize
        sta VT_CHR_BANK_SIZE
        lda savedOuter
        sta VT_OUTER_BANK
@done:
        rts
